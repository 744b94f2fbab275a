// The shapes of the dialog builder: one per control, owning its live
// widget and label, placed on the grid and moved by the mouse in design.

#include "dialogbuilder.h"

#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/errors/errorhandler.h"
#include "engine/model/fontspec.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/param.h"
#include "engine/tools/hooks.h"

#include "ui/services/guarded.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

namespace mx {

QFont ControlFont(const TFontSpec& spec)
{
    QFont font = QApplication::font();
    if (spec == TFontSpec())
        return font;
    font.setFamily(spec.Name());
    if (spec.Size() > 0)
        font.setPointSize(spec.Size());
    const TFontStyles s = spec.Style();
    font.setBold(s & FontStyle(fsBold));
    font.setItalic(s & FontStyle(fsItalic));
    font.setUnderline(s & FontStyle(fsUnderline));
    font.setStrikeOut(s & FontStyle(fsStrikeOut));
    return font;
}

void StoreControlFont(const QFont& font, TFontSpec& spec)
{
    if (font == QApplication::font()) {
        spec.Assign(std::make_unique<TFontSpec>().get());
        return;
    }
    spec.SetName(font.family());
    spec.SetSize(font.pointSize() > 0 ? font.pointSize() : 8);
    TFontStyles s = 0;
    if (font.bold())
        s |= FontStyle(fsBold);
    if (font.italic())
        s |= FontStyle(fsItalic);
    if (font.underline())
        s |= FontStyle(fsUnderline);
    if (font.strikeOut())
        s |= FontStyle(fsStrikeOut);
    spec.SetStyle(s);
}

TVParamControl::TVParamControl(TDialogBuilder* builder, TMxParamControl* control)
    : QWidget(builder->Canvas())
    , m_builder(builder)
    , m_control(control)
    , m_observer(new ui::TItemObserver(control, this))
{
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    ui::Connect(m_observer, &ui::TItemObserver::changed, this, [this] {
        if (!m_storing)
            UpdateControl();
    });
    show();
}

TVParamControl::~TVParamControl()
{
    Detach();
}

void TVParamControl::Detach()
{
    if (m_selected)
        SetSelected(false);
    m_observer->Release(false);
    m_control.reset();
    delete m_label;
    delete m_live;
}

void TVParamControl::SetSelected(bool value)
{
    if (value == m_selected)
        return;
    m_selected = value;
    m_builder->ShapeSelected(this, value);
    if (value) {
        raise();
        if (m_live)
            m_live->raise();
        if (m_label)
            m_label->raise();
    }
    update();
}

QWidget* TVParamControl::makeLive(TDlgControlKind kind, bool dropping, QSize& size)
{
    TMxParamControl* c = m_control.get();
    QWidget* canvas = m_builder->Canvas();
    const QStringList values = c->Values()->toStringList();
    const QFont font = ControlFont(*c->Font());
    QWidget* w = nullptr;
    switch (kind) {
    case ckLabel: {
        if (dropping && c->Caption().isEmpty()) {
            m_storing = true;
            c->SetCaption(QStringLiteral("Label"));
            m_storing = false;
        }
        auto* l = new QLabel(c->Caption(), canvas);
        l->setFont(font);
        l->setWordWrap(true);
        if (dropping) {
            const QFontMetrics fm(font);
            size = QSize(fm.horizontalAdvance(c->Caption()) + 2, fm.height());
        }
        w = l;
        break;
    }
    case ckEdit: {
        auto* e = new QLineEdit(values.value(0), canvas);
        e->setFont(font);
        w = e;
        break;
    }
    case ckListBox: {
        auto* l = new QListWidget(canvas);
        l->setFont(font);
        l->setSelectionMode(c->AllowMultiSelect() ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
        l->addItems(values);
        if (dropping)
            size = DefaultControlSize(ckListBox, QFontMetrics(font).height() + 2) ;
        w = l;
        break;
    }
    case ckCombo: {
        auto* cb = new QComboBox(canvas); // no font: the kind has none
        cb->setEditable(true);
        cb->addItems(values);
        cb->setEditText(values.value(0));
        w = cb;
        break;
    }
    case ckCheck: {
        auto* b = new QCheckBox(c->Caption(), canvas);
        b->setFont(font);
        w = b;
        break;
    }
    case ckRadio: {
        auto* b = new QRadioButton(c->Caption(), canvas);
        b->setFont(font);
        b->setAutoExclusive(false);
        w = b;
        break;
    }
    case ckBevel: {
        auto* f = new QFrame(canvas);
        f->setFrameStyle(QFrame::Box | QFrame::Sunken);
        w = f;
        break;
    }
    case ckImage: {
        auto* l = new QLabel(canvas);
        l->setScaledContents(true);
        QPixmap pixmap;
        if (!c->Picture()->IsEmpty())
            pixmap.loadFromData(c->Picture()->ImageBytes());
        l->setPixmap(pixmap);
        w = l;
        break;
    }
    default:
        return nullptr;
    }
    w->setObjectName(QStringLiteral("control"));
    return w;
}

void TVParamControl::UpdateControl()
{
    TMxParamControl* c = m_control.get();
    if (m_updating || !c)
        return;
    m_updating = true;
    delete m_label;
    delete m_live;
    const TDlgControlKind kind = c->Kind();
    const TDlgControlClass& cls = DlgControlClass(kind);
    const bool dropping = m_builder->Dropping();
    QSize size = DefaultControlSize(kind, QFontMetrics(QApplication::font()).height() + 2);
    if (kind != ckNone) {
        if (!(cls.Flags & dfOwnCaption)) {
            m_label = new QLabel(c->Caption(), m_builder->Canvas());
            m_label->setObjectName(QStringLiteral("caption"));
            m_label->setFont(ControlFont(*c->Font()));
        }
        m_live = makeLive(kind, dropping, size);
    }
    const bool designing = m_builder->Designing();
    for (QWidget* w : {static_cast<QWidget*>(m_label.data()), m_live.data()}) {
        if (!w)
            continue;
        w->setEnabled(!designing);
        // In design a press on a control is a press on its shape beneath.
        w->setAttribute(Qt::WA_TransparentForMouseEvents, designing);
    }
    if (m_label && m_live)
        m_label->setBuddy(m_live);
    if (dropping)
        SetShapeBounds(x(), y(), size.width() + 2 * kShapeBorder, size.height() + 2 * kShapeBorder);
    else
        SetShapeBounds(c->DesignX(), c->DesignY(), c->DesignW(), c->DesignH());
    if (m_label)
        m_label->show();
    if (m_live)
        m_live->show();
    unsetCursor();
    m_updating = false;
}

void TVParamControl::SetShapeBounds(int left, int top, int width, int height)
{
    QRect r = ShapeRequest(geometry(), left, top, width, height);
    // the smallest shape still holds a control and can be taken by a handle
    r.setWidth(std::max(r.width(), 3 * kShapeBorder));
    r.setHeight(std::max(r.height(), 3 * kShapeBorder));
    if (m_live) {
        m_live->setGeometry(ControlRectOf(r));
        QRect actual = m_live->geometry();
        if (m_label) {
            m_label->adjustSize();
            TMxParamControl* c = m_control.get();
            QPoint at = CaptionPos(c ? c->CaptionAlign() : caLeft, actual, m_label->size());
            // The caption stays inside the area: a control placed nearer
            // the left or top edge than its caption needs moves by what
            // the caption lacks.
            const QPoint shift = m_label->text().isEmpty() ? QPoint() : QPoint(std::max(0, -at.x()), std::max(0, -at.y()));
            if (!shift.isNull()) {
                actual.translate(shift);
                m_live->move(actual.topLeft());
                at += shift;
            }
            m_label->move(at);
        }
        r = ShapeRectOf(actual);
    }
    setGeometry(r);
    TMxParamControl* c = m_control.get();
    if (m_builder->Designing() && c) {
        m_storing = true;
        c->BeginUpdate();
        c->SetDesignX(r.x());
        c->SetDesignY(r.y());
        c->SetDesignW(r.width());
        c->SetDesignH(r.height());
        c->EndUpdate();
        m_storing = false;
    }
    m_builder->UpdateExtent();
}

void TVParamControl::EditProperties()
{
    if (ParamControlEditorHook && m_control)
        ParamControlEditorHook(this, m_builder->DataModel);
}

void TVParamControl::paintEvent(QPaintEvent*)
{
    if (!m_builder->Designing())
        return;
    QPainter p(this);
    if (m_builder->ShowFrames()) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
    if (m_selected) {
        const QColor colour = m_builder->SelectedCount() == 1 ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                if (i != 1 || j != 1)
                    p.fillRect(HandleRect(size(), i, j), colour);
    }
}

void TVParamControl::setEdgeCursor(int edges)
{
    const bool horizontal = edges & (deLeft | deRight);
    const bool vertical = edges & (deTop | deBottom);
    if (horizontal && vertical)
        setCursor(((edges & deLeft) != 0) == ((edges & deTop) != 0) ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    else if (horizontal)
        setCursor(Qt::SizeHorCursor);
    else if (vertical)
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

// The mouse works on shapes only in design: a prompted dialog offers no
// popup, selection or drag, so its controls keep their places and their
// pairing with the caller's list.
void TVParamControl::mousePressEvent(QMouseEvent* event)
{
    Guard(this, [&] {
        if (!m_builder->Designing())
            return;
        const QPoint p = event->position().toPoint();
        m_edges = EdgesAt(size(), p);
        setEdgeCursor(m_edges);
        m_start = m_last = Snap(p);
        if (event->button() == Qt::RightButton) {
            m_builder->ShowPopup(this, event->globalPosition().toPoint());
        } else if (event->modifiers() & Qt::ShiftModifier) {
            SetSelected(!m_selected);
        } else {
            m_dragging = true;
            if (!m_selected)
                m_builder->SelectControl(this);
        }
    });
}

void TVParamControl::mouseMoveEvent(QMouseEvent* event)
{
    Guard(this, [&] {
        if (!m_builder->Designing())
            return;
        const QPoint p = event->position().toPoint();
        if (!(m_dragging && (event->buttons() & Qt::LeftButton))) {
            setEdgeCursor(EdgesAt(size(), p));
            return;
        }
        const QPoint now = Snap(p);
        const TDragStep step = DragStep(m_edges, m_start, m_last, now);
        if (step.dx || step.dy || step.dw || step.dh) {
            const QList<TVParamControl*> shapes = m_builder->Shapes();
            for (TVParamControl* s : shapes)
                if (s->Selected()) {
                    const QRect r = ApplyDragStep(s->geometry(), step);
                    s->SetShapeBounds(r.x(), r.y(), r.width(), r.height());
                }
        }
        m_last = now;
    });
}

void TVParamControl::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

void TVParamControl::mouseDoubleClickEvent(QMouseEvent*)
{
    Guard(this, [&] {
        m_dragging = false;
        if (m_builder->Designing())
            EditProperties();
    });
}

} // namespace mx
