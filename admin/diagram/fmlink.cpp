#include "fmlink.h"

#include "graph.h"
#include "linkmodels.h"

#include "engine/admin/adminhelpers.h"
#include "engine/admin/adminmodel.h"
#include "engine/core/itemptr.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/global/fieldtype.h"
#include "engine/global/queryglobal.h"
#include "engine/model/field.h"
#include "engine/model/link.h"
#include "engine/model/modeltypes.h"
#include "engine/model/table.h"

#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace mx::admin {

namespace {

// The data model window's help page, where links are explained.
constexpr int kHelpContext = 98;

// A field line: its name 2 pixels from the left, its type text from the
// list's right edge less the width of "XXXX*".
class TFieldDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString type = index.data(TLinkFieldModel::TypeRole).toString();
        // the background and selection only: the base paint would fill the
        // text in again and draw the name twice
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        painter->save();
        painter->setFont(opt.font);
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const int typeLeft = opt.rect.right() - opt.fontMetrics.horizontalAdvance(QStringLiteral("XXXX*"));
        const QRect nameRect(opt.rect.left() + 2, opt.rect.top(), typeLeft - opt.rect.left() - 4, opt.rect.height());
        painter->drawText(nameRect, Qt::AlignVCenter | Qt::AlignLeft,
            opt.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, nameRect.width()));
        painter->drawText(QRect(typeLeft, opt.rect.top(), opt.rect.right() - typeLeft, opt.rect.height()),
            Qt::AlignVCenter | Qt::AlignLeft, type);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.rwidth() += option.fontMetrics.horizontalAdvance(QStringLiteral("XXXX*")) + 8;
        return s;
    }
};

bool SameTypes(QChar a, QChar b)
{
    if (TMxQueryGlobal* global = QueryGlobal())
        if (global->FldTypes() && global->FldTypes()->Count() > 0)
            return SameLongType(*global->FldTypes(), a, b);
    return a == b;
}

bool IsKey(const TMxTable* table, const QString& name)
{
    const auto* field = item_cast<TDmField>(table->Fields()->FindByName(name, Qt::CaseInsensitive));
    return field && field->Idx() > 0;
}

} // namespace

struct TfmLink::TUi {
    TLinkFieldModel* masterFields;
    TLinkFieldModel* detailFields;
    TLinkPairModel* pairs;
    QGroupBox* gbMaster;
    QListView* lbMaster;
    QCheckBox* cbLeftOuter;
    QCheckBox* cbLeftDefault;
    QLineEdit* edLeftCaption;
    QGroupBox* gbDetail;
    QListView* lbDetail;
    QCheckBox* cbRightOuter;
    QCheckBox* cbRightDefault;
    QLineEdit* edRightCaption;
    QGroupBox* gbPairs;
    QListView* lbPairs;
    QPushButton* btAdd;
    QPushButton* btUnlink;
    QPushButton* btAuto;
    QPushButton* btClear;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

void TfmLink::TFree::operator()(TMxLink* link) const
{
    TMxItem::Free(link);
}

TfmLink::TfmLink(TMxLink* link, TMxTable* master, TMxTable* detail, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_link(link), m_master(master), m_detail(detail),
      m_copy(new TMxLink(nullptr))
{
    using ui::Named;
    setObjectName(QStringLiteral("fmLink"));
    setWindowTitle(Translate("Définition du lien"));
    setProperty("helpContext", kHelpContext);
    ui::InstallHelpKey(this);
    m_copy->Assign(link);
    m_copy->SetMaster(master->Id());
    m_copy->SetDetail(detail->Id());

    TUi& u = *m_ui;
    auto side = [this](const char* box, const char* list, const char* outer, const char* def, const char* caption,
                    TLinkFieldModel*& model, QGroupBox*& gb, QListView*& lb, QCheckBox*& cbOuter, QCheckBox*& cbDefault,
                    QLineEdit*& ed) {
        gb = Named(new QGroupBox(this), box);
        lb = Named(new QListView(gb), list);
        model = new TLinkFieldModel(lb);
        lb->setModel(model);
        lb->setEditTriggers(QAbstractItemView::NoEditTriggers);
        lb->setItemDelegate(new TFieldDelegate(lb));
        lb->setMinimumWidth(lb->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 16);
        cbOuter = Named(new QCheckBox(Translate("Lien Externe"), gb), outer);
        cbDefault = Named(new QCheckBox(Translate("Par défaut"), gb), def);
        ed = Named(new QLineEdit(gb), caption);
        auto* l = new QVBoxLayout(gb);
        l->addWidget(lb, 1);
        auto* boxes = new QHBoxLayout;
        boxes->addWidget(cbOuter);
        boxes->addWidget(cbDefault);
        boxes->addStretch();
        l->addLayout(boxes);
        l->addWidget(ed);
    };
    side("gbMaster", "lbMaster", "cbLeftOuter", "cbLeftDefault", "edLeftCaption", u.masterFields, u.gbMaster, u.lbMaster,
        u.cbLeftOuter, u.cbLeftDefault, u.edLeftCaption);
    side("gbDetail", "lbDetail", "cbRightOuter", "cbRightDefault", "edRightCaption", u.detailFields, u.gbDetail, u.lbDetail,
        u.cbRightOuter, u.cbRightDefault, u.edRightCaption);
    u.gbMaster->setTitle(Translate("Table maitre :") + u' ' + master->Name());
    u.gbDetail->setTitle(Translate("Table détail :") + u' ' + detail->Name());
    u.cbLeftOuter->setChecked(link->LeftOuter());
    u.cbLeftDefault->setChecked(link->LeftDefault());
    u.edLeftCaption->setText(link->LeftCaption());
    u.cbRightOuter->setChecked(link->RightOuter());
    u.cbRightDefault->setChecked(link->RightDefault());
    u.edRightCaption->setText(link->RightCaption());

    u.gbPairs = Named(new QGroupBox(this), "gbPairs");
    u.lbPairs = Named(new QListView(u.gbPairs), "lbPairs");
    u.pairs = new TLinkPairModel(u.lbPairs);
    u.lbPairs->setModel(u.pairs);
    u.lbPairs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.btAdd = ui::NamedButton(u.gbPairs, "btAdd", "Ajouter");
    u.btUnlink = ui::NamedButton(u.gbPairs, "btUnlink", "Délier");
    u.btAuto = ui::NamedButton(u.gbPairs, "btAuto", "Auto");
    u.btClear = ui::NamedButton(u.gbPairs, "btClear", "Vider");
    auto* pairButtons = new QHBoxLayout;
    for (QPushButton* b : {u.btAdd, u.btUnlink, u.btAuto, u.btClear}) {
        b->setAutoDefault(false);
        pairButtons->addWidget(b);
    }
    auto* pairs = new QVBoxLayout(u.gbPairs);
    pairs->addWidget(u.lbPairs, 1);
    pairs->addLayout(pairButtons);

    u.btOk = ui::NamedButton(this, "btOk", "Ok");
    u.btCancel = ui::NamedButton(this, "btCancel", "Annuler");
    u.btHelp = ui::NamedButton(this, "btHelp", "Aide");
    u.btOk->setDefault(true);
    u.btCancel->setAutoDefault(false);
    u.btHelp->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(u.btOk);
    buttons->addWidget(u.btCancel);
    buttons->addWidget(u.btHelp);

    auto* grid = new QGridLayout;
    grid->addWidget(u.gbMaster, 0, 0);
    grid->addWidget(u.gbDetail, 0, 1);
    grid->addWidget(u.gbPairs, 1, 0, 1, 2);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid, 1);
    main->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(u.lbMaster->minimumWidth() * 2 + 60, 420)));

    using ui::Connect;
    Connect(u.btAdd, &QPushButton::clicked, this, [this] { AddPair(); });
    Connect(u.btUnlink, &QPushButton::clicked, this, [this] { Unlink(); });
    Connect(u.btClear, &QPushButton::clicked, this, [this] { ClearPairs(); });
    Connect(u.btAuto, &QPushButton::clicked, this, [this] { AutoPairs(); });
    Connect(u.lbMaster, &QListView::doubleClicked, this, [this] { AddPair(); });
    Connect(u.lbDetail, &QListView::doubleClicked, this, [this] { AddPair(); });
    Connect(u.cbLeftOuter, &QCheckBox::toggled, this, [this] { refresh(); });
    Connect(u.cbRightOuter, &QCheckBox::toggled, this, [this] { refresh(); });
    Connect(u.btOk, &QPushButton::clicked, this, [this] { accept(); });
    Connect(u.btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(u.btHelp, &QPushButton::clicked, this, [this] { ui::ShowDialogHelp(this); });
    refresh();
    // a link without pairs starts from the pairs proposed
    if (!m_copy->FLinks()->Count())
        AutoPairs();
}

TfmLink::~TfmLink() = default;

namespace {

int CurrentRow(const QListView* view)
{
    const QModelIndex at = view->currentIndex();
    return at.isValid() ? at.row() : -1;
}

void SetCurrentRow(QListView* view, int row)
{
    if (row >= 0 && row < view->model()->rowCount())
        view->setCurrentIndex(view->model()->index(row, 0));
    else
        view->setCurrentIndex({});
}

} // namespace

void TfmLink::refresh()
{
    TUi& u = *m_ui;
    TMxFLinkList* pairs = m_copy->FLinks();
    QStringList usedMaster, usedDetail;
    const int pairRow = CurrentRow(u.lbPairs);
    for (int i = 0; i < pairs->Count(); ++i) {
        const TMxLink* names = pairs->Items(i)->Fields();
        usedMaster << names->MasterName();
        usedDetail << names->DetailName();
    }
    u.pairs->SetPairs(pairs);
    SetCurrentRow(u.lbPairs, pairRow);
    // a field takes part in one pair at most on its side
    u.masterFields->SetFields(m_master, usedMaster);
    u.detailFields->SetFields(m_detail, usedDetail);
    SetCurrentRow(u.lbMaster, 0);
    SetCurrentRow(u.lbDetail, 0);
    const bool any = pairs->Count() > 0;
    u.btUnlink->setEnabled(any);
    u.btClear->setEnabled(any);
    u.btOk->setEnabled(any);
    u.btAdd->setEnabled(u.masterFields->rowCount() > 0 && u.detailFields->rowCount() > 0);
    u.cbLeftDefault->setEnabled(u.cbLeftOuter->isChecked());
    u.edLeftCaption->setEnabled(u.cbLeftOuter->isChecked());
    u.cbRightDefault->setEnabled(u.cbRightOuter->isChecked());
    u.edRightCaption->setEnabled(u.cbRightOuter->isChecked());
    // one to one when the pairs are exactly the detail's key
    bool oneToOne = true;
    if (any) {
        oneToOne = pairs->Count() == KeyFieldCount(m_detail->Fields());
        for (const QString& name : usedDetail)
            oneToOne = oneToOne && IsKey(m_detail, name);
    }
    m_copy->SetLinkType(oneToOne ? ltOneToOne : ltOneToMany);
    u.gbPairs->setTitle(!any ? Translate("Lien") : oneToOne ? Translate("Lien de un-à-un") : Translate("Lien de un-à-plusieurs"));
}

void TfmLink::AddPair()
{
    TUi& u = *m_ui;
    const TMxField* a = u.masterFields->FieldAt(CurrentRow(u.lbMaster));
    const TMxField* b = u.detailFields->FieldAt(CurrentRow(u.lbDetail));
    if (!u.btAdd->isEnabled() || !a || !b)
        return;
    const QString masterName = a->Name();
    const QString detailName = b->Name();
    if (!SameTypes(a->ShortType(), b->ShortType())) {
        UserService().MessageDlg(Translate("Les types de champs ne sont pas compatibles."), TMsgDlgType::mtWarning, mbOK);
        return;
    }
    TMxFLink* pair = m_copy->FLinks()->AddNew();
    pair->Tables()->SetMaster(m_master->Id());
    pair->Tables()->SetDetail(m_detail->Id());
    pair->Fields()->SetMasterName(masterName);
    pair->Fields()->SetDetailName(detailName);
    refresh();
    SetCurrentRow(u.lbPairs, u.pairs->rowCount() - 1);
}

void TfmLink::Unlink()
{
    TUi& u = *m_ui;
    const int row = CurrentRow(u.lbPairs);
    if (row < 0 || row >= m_copy->FLinks()->Count())
        return;
    TMxItem::Free(m_copy->FLinks()->Items(row));
    refresh();
    SetCurrentRow(u.lbPairs, row - 1);
}

void TfmLink::ClearPairs()
{
    m_copy->FLinks()->Clear();
    refresh();
}

void TfmLink::AutoPairs()
{
    TItemPtr<TMxLink> proposal(ProposeLink(m_master, m_detail));
    if (!proposal)
        return;
    m_copy->FLinks()->Assign(proposal->FLinks());
    refresh();
}

void TfmLink::accept()
{
    if (!m_copy->FLinks()->Count())
        return;
    TUi& u = *m_ui;
    m_copy->SetLeftOuter(u.cbLeftOuter->isChecked());
    m_copy->SetLeftDefault(u.cbLeftDefault->isChecked());
    m_copy->SetLeftCaption(u.edLeftCaption->text());
    m_copy->SetRightOuter(u.cbRightOuter->isChecked());
    m_copy->SetRightDefault(u.cbRightDefault->isChecked());
    m_copy->SetRightCaption(u.edRightCaption->text());
    refresh();
    m_link->Assign(m_copy.get());
    QDialog::accept();
}

bool TfmLink::Execute(TGraphLink* line)
{
    if (!line || !line->Link() || !line->MasterPanel() || !line->DetailPanel() || !line->MasterPanel()->Table()
        || !line->DetailPanel()->Table())
        return false;
    TfmLink form(line->Link(), line->MasterPanel()->Table(), line->DetailPanel()->Table());
    return ui::RunModal(form) == QDialog::Accepted;
}

void RegisterLinkEditor()
{
    LinkEditor.set([](TGraphLink* line) { return TfmLink::Execute(line); });
}

} // namespace mx::admin

#include "fmlink.moc"
