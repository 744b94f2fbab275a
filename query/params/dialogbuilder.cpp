#include "dialogbuilder.h"

#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/errors/errorhandler.h"
#include "engine/model/fontspec.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/param.h"
#include "engine/tools/hooks.h"

#include "ui/services/guarded.h"
#include "ui/services/popuprunner.h"

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
namespace {

// The surface: the grid in design, then the owner's paint; a press
// outside the shapes goes to the owner.
class TBuilderCanvas : public QWidget {
    Q_OBJECT

public:
    explicit TBuilderCanvas(TDialogBuilder* builder) : QWidget(nullptr), m_builder(builder) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        Guard(this, [&] {
            if (m_builder->Designing() && m_builder->ShowFrames()) {
                QPainter p(this);
                p.setPen(QColor(0x80, 0x80, 0x80));
                for (int x = kGrid; x < width(); x += kGrid)
                    for (int y = 0; y < height(); y += kGrid)
                        p.drawPoint(x, y);
            }
            if (m_builder->OnPaint)
                m_builder->OnPaint();
        });
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        Guard(this, [&] {
            if (m_builder->OnSurfaceMouseDown)
                m_builder->OnSurfaceMouseDown(event);
        });
    }

private:
    TDialogBuilder* m_builder;
};

} // namespace

TDialogBuilder::TDialogBuilder(QWidget* parent)
    : QScrollArea(parent)
    , m_controls(new TMxParamControlList(nullptr))
    , m_observer(new ui::TItemObserver(this))
    , m_canvas(new TBuilderCanvas(this))
    , m_popup(new QMenu(this))
{
    setObjectName(QStringLiteral("DialogBuilder"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(m_canvas);
    m_canvas->setObjectName(QStringLiteral("surface"));
    m_miCaption = m_popup->addAction(QString());
    m_miCaption->setObjectName(QStringLiteral("miCaption"));
    m_miCaption->setEnabled(false);
    m_popup->addSeparator();
    QAction* properties = m_popup->addAction(Translate(QStringLiteral("Propriétés")));
    properties->setObjectName(QStringLiteral("miProperties"));
    QAction* remove = m_popup->addAction(Translate(QStringLiteral("Supprimer")));
    remove->setObjectName(QStringLiteral("miDelete"));
    ui::Connect(properties, &QAction::triggered, this, [this] {
        if (m_current)
            m_current->EditProperties();
    });
    ui::Connect(remove, &QAction::triggered, this, [this] { DeleteSelected(); });
    ui::Connect(m_observer, &ui::TItemObserver::added, this, [this](TMxItem* item) { addShape(item); });
    ui::Connect(m_observer, &ui::TItemObserver::removed, this, [this](TMxItem* item) { removeShape(item); });
    m_observer->Observe(m_controls);
}

TDialogBuilder::~TDialogBuilder()
{
    Params = nullptr;
    m_observer->Release(false);
    for (TVParamControl* s : m_shapes) {
        s->Detach();
        delete s;
    }
    m_shapes.clear();
    m_controls->Free();
}

TVParamControl* TDialogBuilder::ShapeOf(const TMxParamControl* control) const
{
    for (TVParamControl* s : m_shapes)
        if (s->ParamControl() == control)
            return s;
    return nullptr;
}

void TDialogBuilder::addShape(TMxItem* item)
{
    auto* control = item_cast<TMxParamControl>(item);
    if (!control)
        return;
    auto* shape = new TVParamControl(this, control);
    m_shapes << shape;
    shape->UpdateControl();
}

void TDialogBuilder::removeShape(TMxItem* item)
{
    TVParamControl* shape = ShapeOf(item_cast<TMxParamControl>(item));
    if (!shape)
        return;
    m_shapes.removeOne(shape);
    shape->Detach();
    shape->hide();
    // the shape may be inside its own mouse handler (its popup's Supprimer)
    shape->deleteLater();
}

void TDialogBuilder::SetDesigning(bool value)
{
    if (value == m_designing)
        return;
    SelectControl(nullptr);
    m_designing = value;
    for (TVParamControl* s : m_shapes)
        s->UpdateControl();
    m_canvas->update();
    repaintShapes();
}

void TDialogBuilder::SetShowFrames(bool value)
{
    if (value == m_showFrames)
        return;
    m_showFrames = value;
    m_canvas->update();
    repaintShapes();
}

void TDialogBuilder::repaintShapes()
{
    for (TVParamControl* s : m_shapes)
        s->update();
}

void TDialogBuilder::SetParamControls(TMxParamControlList* list)
{
    if (!list) {
        m_controls->Clear();
        return;
    }
    if (list == m_controls)
        return;
    m_controls->Assign(list);
    resize(m_controls->DesignW(), m_controls->DesignH());
    if (!m_designing && !m_testing)
        FillFieldValues();
}

void TDialogBuilder::StoreDesignSize()
{
    m_controls->SetDesignW(width());
    m_controls->SetDesignH(height());
}

TVParamControl* TDialogBuilder::AddControlAt(int x, int y, TDlgControlKind kind, TMxParam* param)
{
    m_dropping = true;
    TVParamControl* shape = nullptr;
    try {
        TMxParamControl* control = m_controls->AddNew();
        shape = ShapeOf(control);
        SelectControl(shape);
        if (param)
            control->SetParamName(param->Name());
        if (control->Kind() == kind && shape)
            shape->UpdateControl();
        else
            control->SetKind(kind);
        if (shape)
            shape->SetShapeBounds(Snap(x), Snap(y), 0, 0);
    } catch (...) {
        m_dropping = false;
        throw;
    }
    m_dropping = false;
    return shape;
}

void TDialogBuilder::SelectControl(TVParamControl* shape)
{
    const QList<TVParamControl*> shapes = m_shapes;
    for (TVParamControl* s : shapes)
        if (s != shape)
            s->SetSelected(false);
    if (shape)
        shape->SetSelected(true);
}

void TDialogBuilder::ShapeSelected(TVParamControl* shape, bool selected)
{
    if (selected) {
        ++m_selectedCount;
        if (m_selectedCount == 1)
            m_current = shape;
        if (m_selectedCount == 2)
            repaintShapes();
    } else {
        --m_selectedCount;
        if (m_current == shape)
            m_current = nullptr;
        if (m_selectedCount == 0)
            m_current = nullptr;
        if (m_selectedCount == 1) {
            for (TVParamControl* s : m_shapes)
                if (s->Selected() && s != shape)
                    m_current = s;
            repaintShapes();
        }
    }
}

void TDialogBuilder::DeleteSelected()
{
    QList<TMxParamControl*> doomed;
    for (int i = int(m_shapes.size()) - 1; i >= 0; --i)
        if (m_shapes[i]->Selected() && m_shapes[i]->ParamControl())
            doomed << m_shapes[i]->ParamControl();
    for (TMxParamControl* c : doomed)
        c->Free();
}

bool TDialogBuilder::EditorKeyDown(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Delete || m_selectedCount == 0)
        return false;
    DeleteSelected();
    return true;
}

void TDialogBuilder::ShowPopup(TVParamControl* shape, QPoint globalPos)
{
    TMxParamControl* c = shape->ParamControl();
    if (!c)
        return;
    m_miCaption->setText(QStringLiteral("%1 (%2)").arg(c->ParamName(), DlgControlName(c->Kind())));
    ui::RunPopup(*m_popup, globalPos);
}

bool TDialogBuilder::CheckControls()
{
    return CheckParamControls(
        *m_controls, Params,
        [](const QString& text) { return UserService().MessageDlg(text, TMsgDlgType::mtWarning, mbYes | mbNo | mbCancel); },
        [this](int i) {
            if (TVParamControl* s = ShapeOf(m_controls->Items(i)))
                s->EditProperties();
        });
}

void TDialogBuilder::FillFieldValues()
{
    for (int i = 0; i < m_controls->Count(); ++i) {
        TMxParamControl* c = m_controls->Items(i);
        if (DlgControlClass(c->Kind()).ValuePage == 3 && c->TableId() != -1)
            c->FillValues(DataModel, 2500);
    }
}

void TDialogBuilder::UpdateExtent()
{
    QRect all;
    for (TVParamControl* s : m_shapes) {
        all |= s->geometry();
        if (QLabel* l = s->CaptionLabel())
            all |= l->geometry();
    }
    m_canvas->setMinimumSize(std::max(all.right() + 1, 0), std::max(all.bottom() + 1, 0));
}

} // namespace mx

#include "dialogbuilder.moc"
