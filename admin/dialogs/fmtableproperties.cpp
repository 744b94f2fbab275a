#include "fmtableproperties.h"

#include "dialogframe.h"
#include "fieldgridmodel.h"
#include "itemlistmodel.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/exceptions.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/table.h"

#include "ui/controls/pictures.h"
#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace mx::admin {

namespace {

constexpr int kHelpContext = 104;

// The table picture crossed out in red: a table with a duplicate full name.
const QPixmap& BadTablePicture()
{
    static const QPixmap picture = [] {
        QPixmap p = ui::Picture(ui::TPicture::Table);
        QPainter painter(&p);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor(200, 0, 0));
        pen.setWidthF(2.0);
        painter.setPen(pen);
        const QRectF r = QRectF(p.rect()).adjusted(3, 3, -3, -3);
        painter.drawLine(r.topLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomLeft());
        return p;
    }();
    return picture;
}

} // namespace

struct TfmTableProperties::TUi {
    QLabel* laTables;
    QListView* lbTables;
    QLabel* laFields;
    QTableView* grdFields;
    QGroupBox* gbTable;
    QLineEdit* edName;
    QLineEdit* edAlias;
    QLineEdit* edFullName;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
    TItemListModel* tables;
    TFieldGridModel* fields;
};

TfmTableProperties::TfmTableProperties(const TMxTableList* tables, const TMxItem* first, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_copy(new TMxTableList(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmTableProperties", kHelpContext, "Propriétés de table");

    // The copy has no owner: it belongs to no model and tells none.
    for (TMxItem* t : *static_cast<const TMxList*>(tables))
        t->Clone(m_copy.get());
    MarkDuplicateFields(m_copy.get());

    TUi& u = *m_ui;
    u.tables = new TItemListModel(this);
    u.tables->SetDecoration([](const TMxItem* item) -> QVariant {
        return HasDuplicateFields(static_cast<const TMxTable*>(item)) ? BadTablePicture()
                                                                       : ui::Picture(ui::TPicture::Table);
    });
    u.tables->SetList(m_copy.get());
    u.fields = new TFieldGridModel(this);

    u.lbTables = Named(new QListView(this), "lbTables");
    u.lbTables->setModel(u.tables);
    u.lbTables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.lbTables->setSelectionMode(QAbstractItemView::SingleSelection);
    u.laTables = Named(new QLabel(Translate("C&hoisissez une table"), this), "laTables");
    u.laTables->setBuddy(u.lbTables);

    u.grdFields = Named(new QTableView(this), "grdFields");
    u.grdFields->setModel(u.fields);
    u.grdFields->setSelectionMode(QAbstractItemView::SingleSelection);
    u.grdFields->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    u.grdFields->verticalHeader()->hide();
    u.grdFields->horizontalHeader()->setStretchLastSection(true);
    u.laFields = Named(new QLabel(Translate("&Champs"), this), "laFields");
    u.laFields->setBuddy(u.grdFields);

    u.gbTable = Named(new QGroupBox(Translate("&Table"), this), "gbTable");
    u.edName = Named(new QLineEdit(u.gbTable), "edName");
    u.edAlias = Named(new QLineEdit(u.gbTable), "edAlias");
    u.edFullName = Named(new QLineEdit(u.gbTable), "edFullName");
    auto* form = new QFormLayout(u.gbTable);
    form->addRow(Translate("&Nom :"), u.edName);
    form->addRow(Translate("&Alias :"), u.edAlias);
    form->addRow(Translate("Nom c&omplet :"), u.edFullName);

    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    const QFontMetrics fm(font());
    const int em = fm.horizontalAdvance(QLatin1Char('M'));
    // The list as wide as its longest name with its picture; the grid's
    // first columns as wide as their texts.
    int longest = fm.horizontalAdvance(Translate("C&hoisissez une table"));
    for (TMxItem* t : *static_cast<const TMxList*>(m_copy.get()))
        longest = std::max(longest, fm.horizontalAdvance(t->Name()) + ui::Picture(ui::TPicture::Table).width() + em);
    u.lbTables->setMinimumWidth(longest + u.lbTables->frameWidth() * 2
        + u.lbTables->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + em);
    u.lbTables->setIconSize(ui::Picture(ui::TPicture::Table).size());
    QHeaderView* header = u.grdFields->horizontalHeader();
    header->setSectionResizeMode(TFieldGridModel::ColName, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(TFieldGridModel::ColType, QHeaderView::ResizeToContents);
    u.grdFields->verticalHeader()->setDefaultSectionSize(fm.height() + fm.height() / 2);
    int nameWidth = fm.horizontalAdvance(Translate("Nom du champ"));
    for (TMxItem* t : *static_cast<const TMxList*>(m_copy.get()))
        for (TMxItem* f : *static_cast<TMxTable*>(t)->Fields())
            nameWidth = std::max(nameWidth, fm.horizontalAdvance(f->Name()));
    u.grdFields->setMinimumWidth(nameWidth + fm.horizontalAdvance(QStringLiteral("A255*")) + em * 18);

    auto* left = new QVBoxLayout;
    left->addWidget(u.laTables);
    left->addWidget(u.lbTables, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(u.laFields);
    right->addWidget(u.grdFields, 1);
    right->addWidget(u.gbTable);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 5);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp));
    resize(em * 50, fm.height() * 26);

    using ui::Connect;
    Connect(u.lbTables->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) {
            if (!m_filling && current.isValid())
                ShowTable(current.row());
        });
    Connect(u.grdFields->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!m_filling)
            StoreGrid();
    });
    // The edits change the table shown at once.
    Connect(u.edName, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_shown) {
            m_shown->SetName(text);
            m_ui->tables->Refresh();
        }
    });
    Connect(u.edAlias, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_shown)
            m_shown->SetDatabase(text);
    });
    Connect(u.edFullName, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_shown)
            m_shown->SetFullName(text);
    });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    // The form sees Escape, Ctrl+Up and Ctrl+Down before its controls.
    qApp->installEventFilter(this);

    int index = 0;
    if (first)
        if (const TMxItem* same = m_copy->FindById(first->Id()))
            index = m_copy->IndexOf(same);
    ShowTable(index);
}

TfmTableProperties::~TfmTableProperties()
{
    qApp->removeEventFilter(this);
}

void TfmTableProperties::ShowTable(int index)
{
    if (index < 0 || index >= m_copy->Count())
        return;
    StoreGrid();
    m_shown = m_copy->Items(index);
    showShown();
}

void TfmTableProperties::showShown()
{
    TUi& u = *m_ui;
    m_filling = true;
    u.edName->setText(m_shown ? m_shown->Name() : QString());
    u.edFullName->setText(m_shown ? m_shown->FullName() : QString());
    u.edAlias->setText(m_shown ? m_shown->Database() : QString());
    u.fields->SetTable(m_shown);
    const int row = u.tables->RowOf(m_shown);
    u.lbTables->setCurrentIndex(u.tables->index(row));
    if (u.fields->rowCount() > 0)
        u.grdFields->setCurrentIndex(u.fields->index(0, TFieldGridModel::ColFullName));
    m_filling = false;
}

void TfmTableProperties::commitEditor()
{
    // A full name still in the grid's editor is the grid's text too.
    QTableView* grid = m_ui->grdFields;
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid())
        return;
    for (QWidget* w : grid->viewport()->findChildren<QLineEdit*>()) {
        if (w->isVisible()) {
            grid->itemDelegateForIndex(current)->setModelData(w, m_ui->fields, current);
            break;
        }
    }
}

void TfmTableProperties::StoreGrid()
{
    if (!m_shown)
        return;
    commitEditor();
    m_ui->fields->Store(m_shown);
    MarkDuplicateFields(m_copy.get());
    m_ui->fields->RefreshMarks();
    m_ui->tables->Refresh();
}

void TfmTableProperties::accept()
{
    StoreGrid();
    try {
        CheckAllFieldNames(m_copy.get());
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        UserService().MessageDlg(e.message(), TMsgDlgType::mtError, mbOK);
        return;
    }
    QDialog::accept();
}

void TfmTableProperties::WriteBack(TMxTableList* tables)
{
    StoreGrid();
    // Each copied table goes into the model's table of its Id: the model's
    // objects stay (the diagram's panels are bound to them).
    for (TMxItem* copy : *static_cast<TMxList*>(m_copy.get())) {
        auto* t = static_cast<TMxTable*>(copy);
        if (TMxTable* own = tables->FindById(t->Id()))
            own->Assign(t);
    }
    tables->Change();
}

bool TfmTableProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() || !isVisible())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    if (w->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
    bool handled = false;
    Guard(this, [&] {
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            reject();
            handled = true;
        } else if (ctrl && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            const int at = m_copy->IndexOf(m_shown);
            if (key->key() == Qt::Key_Up)
                ShowTable(at > 0 ? at - 1 : at);
            else if (at + 1 < m_copy->Count())
                ShowTable(at + 1);
            else
                StoreGrid();
            handled = true;
        }
    });
    return handled;
}

bool EditTableProperties(TMxTableList* tables, const TMxItem* first)
{
    if (!tables || tables->Count() == 0)
        return false;
    TfmTableProperties form(tables, first);
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;
    form.WriteBack(tables);
    return true;
}

} // namespace mx::admin
