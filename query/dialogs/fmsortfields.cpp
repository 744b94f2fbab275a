#include "fmsortfields.h"

#include "engine/core/translate.h"
#include "engine/model/queryfield.h"

#include "ui/controls/picturelistbox.h"
#include "ui/controls/pictures.h"
#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace mx {

namespace {

constexpr int kSortHelpContext = 6;

QToolButton* glyphButton(const char* name, const QString& text, Qt::ArrowType arrow = Qt::NoArrow)
{
    auto* b = new QToolButton;
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRaise(true);
    b->setText(text);
    if (arrow != Qt::NoArrow)
        b->setArrowType(arrow);
    return b;
}

} // namespace

TfmSortFields::TfmSortFields(TMxQueryStep* step, QWidget* parent) : QDialog(parent), m_editor(step)
{
    setObjectName(QStringLiteral("fmSortFields"));
    setProperty("helpContext", kSortHelpContext);
    setWindowTitle(Translate("Tri de la réponse"));

    SrcList = new ui::TPictureListBox;
    SrcList->setObjectName(QStringLiteral("SrcList"));
    DstList = new ui::TPictureListBox;
    DstList->setObjectName(QStringLiteral("DstList"));
    for (ui::TPictureListBox* l : {SrcList, DstList}) {
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        l->SetPicture(ui::Picture(ui::TPicture::Field));
    }
    SrcLabel = new QLabel(Translate("Liste des champs :"));
    SrcLabel->setObjectName(QStringLiteral("SrcLabel"));
    SrcLabel->setBuddy(SrcList);
    DstLabel = new QLabel(Translate("Ordre des champs :"));
    DstLabel->setObjectName(QStringLiteral("DstLabel"));
    DstLabel->setBuddy(DstList);
    btInclude = glyphButton("btInclude", QStringLiteral(">"));
    btIncAll = glyphButton("btIncAll", QStringLiteral(">>"));
    btExclude = glyphButton("btExclude", QStringLiteral("<"));
    btExAll = glyphButton("btExAll", QStringLiteral("<<"));
    sbUp = glyphButton("sbUp", QString(), Qt::UpArrow);
    sbDown = glyphButton("sbDown", QString(), Qt::DownArrow);
    btSwapSortOrder = new QPushButton(Translate("Changer tri"));
    btSwapSortOrder->setObjectName(QStringLiteral("btSwapSortOrder"));
    btOk = new QPushButton(Translate("Ok"));
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);
    btCancel = new QPushButton(Translate("Annuler"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btHelp = new QPushButton(Translate("Aide"));
    btHelp->setObjectName(QStringLiteral("btHelp"));
    for (QPushButton* b : {btSwapSortOrder, btCancel, btHelp})
        b->setAutoDefault(false);

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QToolButton* b : {btInclude, btIncAll, btExclude, btExAll})
        moves->addWidget(b);
    moves->addStretch();
    auto* order = new QHBoxLayout;
    order->addWidget(sbUp);
    order->addWidget(sbDown);
    order->addStretch();
    order->addWidget(btSwapSortOrder);
    auto* grid = new QGridLayout;
    grid->addWidget(SrcLabel, 0, 0);
    grid->addWidget(DstLabel, 0, 2);
    grid->addWidget(SrcList, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(DstList, 1, 2);
    grid->addLayout(order, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);
    buttons->addWidget(btHelp);
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid, 1);
    main->addLayout(buttons);
    resize(347, 285);

    using ui::Connect;
    Connect(btInclude, &QToolButton::clicked, this, [this] { Include(); });
    Connect(btIncAll, &QToolButton::clicked, this, [this] { IncludeAll(); });
    Connect(btExclude, &QToolButton::clicked, this, [this] { Exclude(); });
    Connect(btExAll, &QToolButton::clicked, this, [this] { ExcludeAll(); });
    Connect(SrcList, &QListWidget::itemDoubleClicked, this, [this] { Include(); });
    Connect(DstList, &QListWidget::itemDoubleClicked, this, [this] { Exclude(); });
    Connect(DstList, &QListWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    Connect(sbUp, &QToolButton::clicked, this, [this] { MoveUp(); });
    Connect(sbDown, &QToolButton::clicked, this, [this] { MoveDown(); });
    Connect(btSwapSortOrder, &QPushButton::clicked, this, [this] { SwapSortOrder(); });
    Connect(btOk, &QPushButton::clicked, this, [this] { accept(); });
    Connect(btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(btHelp, &QPushButton::clicked, this, [this] { ui::ShowDialogHelp(this); });
    fill(nullptr, -1);
}

void TfmSortFields::fill(ui::TPictureListBox* focus, int select)
{
    SrcList->clear();
    for (const TMxQueryField* f : m_editor.Source())
        SrcList->addItem(f->FullName());
    DstList->clear();
    for (const TMxQueryField* f : m_editor.Dest())
        DstList->addItem(TSortEditor::DestText(f));
    if (focus) {
        focus->setFocus();
        if (select >= 0 && select < focus->count())
            focus->setCurrentRow(select);
    }
    updateButtons();
}

void TfmSortFields::updateButtons()
{
    btInclude->setEnabled(SrcList->count() > 0);
    btIncAll->setEnabled(SrcList->count() > 0);
    btExclude->setEnabled(DstList->count() > 0);
    btExAll->setEnabled(DstList->count() > 0);
}

std::vector<int> TfmSortFields::selectedRows(const ui::TPictureListBox* list)
{
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            rows.push_back(i);
    return rows;
}

void TfmSortFields::Include()
{
    fill(SrcList, m_editor.Include(selectedRows(SrcList)));
}

void TfmSortFields::IncludeAll()
{
    fill(SrcList, m_editor.IncludeAll());
}

void TfmSortFields::Exclude()
{
    fill(DstList, m_editor.Exclude(selectedRows(DstList)));
}

void TfmSortFields::ExcludeAll()
{
    fill(DstList, m_editor.ExcludeAll());
}

void TfmSortFields::MoveUp()
{
    const std::vector<int> rows = selectedRows(DstList);
    const int to = m_editor.Up(rows.empty() ? -1 : rows.front());
    if (to >= 0)
        fill(DstList, to);
}

void TfmSortFields::MoveDown()
{
    const std::vector<int> rows = selectedRows(DstList);
    const int to = m_editor.Down(rows.empty() ? -1 : rows.front());
    if (to >= 0)
        fill(DstList, to);
}

void TfmSortFields::SwapSortOrder()
{
    const int row = DstList->currentItem() && DstList->currentItem()->isSelected() ? DstList->currentRow() : -1;
    if (row < 0)
        return;
    m_editor.Toggle(row);
    DstList->item(row)->setText(TSortEditor::DestText(m_editor.Dest()[size_t(row)]));
}

bool EditSort(TMxQueryStep* step)
{
    auto form = std::make_unique<TfmSortFields>(step);
    if (ui::RunModal(*form) == QDialog::Accepted) {
        form->Editor().Commit();
        return true;
    }
    form->Editor().Restore();
    return false;
}

} // namespace mx
