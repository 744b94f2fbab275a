#include "fmmxlistselect.h"

#include "itemlistmodel.h"

#include "engine/core/list.h"
#include "engine/core/translate.h"

#include "ui/services/guarded.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace mx::admin {

struct TfmMxListSelect::TUi {
    QGroupBox* gbList;
    QListView* lbItems;
    QPushButton* btOk;
    QPushButton* btCancel;
    TItemListModel* model;
};

TfmMxListSelect::TfmMxListSelect(const QString& caption, const TMxList* list, bool multiple, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>())
{
    using ui::Named;
    setObjectName(QStringLiteral("fmMxListSelect"));
    setWindowTitle(caption);
    TUi& u = *m_ui;
    u.gbList = Named(new QGroupBox(this), "gbList");
    u.lbItems = Named(new QListView(u.gbList), "lbItems");
    u.model = new TItemListModel(this);
    u.model->SetList(list, true);
    u.lbItems->setModel(u.model);
    u.lbItems->setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    u.lbItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.btOk = ui::NamedButton(this, "btOk", "Ok");
    u.btOk->setDefault(true);
    u.btCancel = ui::NamedButton(this, "btCancel", "Annuler");
    u.btCancel->setAutoDefault(false);

    auto* group = new QVBoxLayout(u.gbList);
    group->addWidget(u.lbItems);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(u.btOk);
    buttons->addWidget(u.btCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(u.gbList, 1);
    main->addLayout(buttons);
    // As wide as the longest name and the caption.
    const QFontMetrics fm(font());
    const int em = fm.horizontalAdvance(QLatin1Char('M'));
    int longest = fm.horizontalAdvance(caption);
    for (int r = 0; r < u.model->rowCount(); ++r)
        longest = std::max(longest, fm.horizontalAdvance(u.model->ItemAt(r)->Name()));
    u.lbItems->setMinimumSize(std::min(longest, em * 50) + u.lbItems->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + em * 2,
        fm.height() * 14);

    ui::Connect(u.btOk, &QPushButton::clicked, this, [this] { accept(); });
    ui::Connect(u.btCancel, &QPushButton::clicked, this, [this] { reject(); });
    ui::Connect(u.lbItems, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            accept();
    });
}

TfmMxListSelect::~TfmMxListSelect() = default;

std::vector<TMxItem*> TfmMxListSelect::Chosen() const
{
    QModelIndexList rows = m_ui->lbItems->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<TMxItem*> out;
    for (const QModelIndex& i : rows)
        if (TMxItem* item = m_ui->model->ItemAt(i.row()))
            out.push_back(item);
    return out;
}

TItemPtr<TMxList> SelectListItems(const QString& caption, const TMxList* list, bool multiple)
{
    TItemPtr<TMxList> result(new TMxList(nullptr));
    result->SetOwnsItems(false);
    TfmMxListSelect form(caption, list, multiple);
    if (ui::RunModal(form) == QDialog::Accepted)
        for (TMxItem* item : form.Chosen())
            result->AddItem(item);
    return result;
}

TItemPtr<TMxList> SelectItems(const QString& caption, const TMxList* list)
{
    return SelectListItems(caption, list, true);
}

TMxItem* SelectItem(const QString& caption, const TMxList* list)
{
    const TItemPtr<TMxList> chosen = SelectListItems(caption, list, false);
    return chosen->Count() > 0 ? chosen->Items(0) : nullptr;
}

} // namespace mx::admin
