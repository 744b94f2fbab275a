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

std::vector<int> selectedRows(const ui::TPictureListBox* list)
{
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            rows.push_back(i);
    return rows;
}

} // namespace

struct TfmSortFields::TUi {
    QLabel* SrcLabel;
    QLabel* DstLabel;
    ui::TPictureListBox* SrcList;
    ui::TPictureListBox* DstList;
    QToolButton* btInclude;
    QToolButton* btIncAll;
    QToolButton* btExclude;
    QToolButton* btExAll;
    QToolButton* sbUp;
    QToolButton* sbDown;
    QPushButton* btSwapSortOrder;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmSortFields::~TfmSortFields() = default;

TfmSortFields::TfmSortFields(TMxQueryStep* step, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_editor(step)
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmSortFields"));
    setProperty("helpContext", kSortHelpContext);
    setWindowTitle(Translate("Tri de la réponse"));

    u.SrcList = new ui::TPictureListBox;
    u.SrcList->setObjectName(QStringLiteral("SrcList"));
    u.DstList = new ui::TPictureListBox;
    u.DstList->setObjectName(QStringLiteral("DstList"));
    for (ui::TPictureListBox* l : {u.SrcList, u.DstList}) {
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        l->SetPicture(ui::Picture(ui::TPicture::Field));
    }
    u.SrcLabel = new QLabel(Translate("Liste des champs :"));
    u.SrcLabel->setObjectName(QStringLiteral("SrcLabel"));
    u.SrcLabel->setBuddy(u.SrcList);
    u.DstLabel = new QLabel(Translate("Ordre des champs :"));
    u.DstLabel->setObjectName(QStringLiteral("DstLabel"));
    u.DstLabel->setBuddy(u.DstList);
    u.btInclude = glyphButton("btInclude", QStringLiteral(">"));
    u.btIncAll = glyphButton("btIncAll", QStringLiteral(">>"));
    u.btExclude = glyphButton("btExclude", QStringLiteral("<"));
    u.btExAll = glyphButton("btExAll", QStringLiteral("<<"));
    u.sbUp = glyphButton("sbUp", QString(), Qt::UpArrow);
    u.sbDown = glyphButton("sbDown", QString(), Qt::DownArrow);
    u.btSwapSortOrder = new QPushButton(Translate("Changer tri"));
    u.btSwapSortOrder->setObjectName(QStringLiteral("btSwapSortOrder"));
    u.btOk = new QPushButton(Translate("Ok"));
    u.btOk->setObjectName(QStringLiteral("btOk"));
    u.btOk->setDefault(true);
    u.btCancel = new QPushButton(Translate("Annuler"));
    u.btCancel->setObjectName(QStringLiteral("btCancel"));
    u.btHelp = new QPushButton(Translate("Aide"));
    u.btHelp->setObjectName(QStringLiteral("btHelp"));
    for (QPushButton* b : {u.btSwapSortOrder, u.btCancel, u.btHelp})
        b->setAutoDefault(false);

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QToolButton* b : {u.btInclude, u.btIncAll, u.btExclude, u.btExAll})
        moves->addWidget(b);
    moves->addStretch();
    auto* order = new QHBoxLayout;
    order->addWidget(u.sbUp);
    order->addWidget(u.sbDown);
    order->addStretch();
    order->addWidget(u.btSwapSortOrder);
    auto* grid = new QGridLayout;
    grid->addWidget(u.SrcLabel, 0, 0);
    grid->addWidget(u.DstLabel, 0, 2);
    grid->addWidget(u.SrcList, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(u.DstList, 1, 2);
    grid->addLayout(order, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(u.btOk);
    buttons->addWidget(u.btCancel);
    buttons->addWidget(u.btHelp);
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid, 1);
    main->addLayout(buttons);
    resize(347, 285);

    using ui::Connect;
    Connect(u.btInclude, &QToolButton::clicked, this, [this] { Include(); });
    Connect(u.btIncAll, &QToolButton::clicked, this, [this] { IncludeAll(); });
    Connect(u.btExclude, &QToolButton::clicked, this, [this] { Exclude(); });
    Connect(u.btExAll, &QToolButton::clicked, this, [this] { ExcludeAll(); });
    Connect(u.SrcList, &QListWidget::itemDoubleClicked, this, [this] { Include(); });
    Connect(u.DstList, &QListWidget::itemDoubleClicked, this, [this] { Exclude(); });
    Connect(u.DstList, &QListWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    Connect(u.sbUp, &QToolButton::clicked, this, [this] { MoveUp(); });
    Connect(u.sbDown, &QToolButton::clicked, this, [this] { MoveDown(); });
    Connect(u.btSwapSortOrder, &QPushButton::clicked, this, [this] { SwapSortOrder(); });
    Connect(u.btOk, &QPushButton::clicked, this, [this] { accept(); });
    Connect(u.btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(u.btHelp, &QPushButton::clicked, this, [this] { ui::ShowDialogHelp(this); });
    fill(nullptr, -1);
}

void TfmSortFields::fill(ui::TPictureListBox* focus, int select)
{
    m_ui->SrcList->clear();
    for (const TMxQueryField* f : m_editor.Source())
        m_ui->SrcList->addItem(f->FullName());
    m_ui->DstList->clear();
    for (const TMxQueryField* f : m_editor.Dest())
        m_ui->DstList->addItem(TSortEditor::DestText(f));
    if (focus) {
        focus->setFocus();
        if (select >= 0 && select < focus->count())
            focus->setCurrentRow(select);
    }
    updateButtons();
}

void TfmSortFields::updateButtons()
{
    m_ui->btInclude->setEnabled(m_ui->SrcList->count() > 0);
    m_ui->btIncAll->setEnabled(m_ui->SrcList->count() > 0);
    m_ui->btExclude->setEnabled(m_ui->DstList->count() > 0);
    m_ui->btExAll->setEnabled(m_ui->DstList->count() > 0);
}

void TfmSortFields::Include()
{
    fill(m_ui->SrcList, m_editor.Include(selectedRows(m_ui->SrcList)));
}

void TfmSortFields::IncludeAll()
{
    fill(m_ui->SrcList, m_editor.IncludeAll());
}

void TfmSortFields::Exclude()
{
    fill(m_ui->DstList, m_editor.Exclude(selectedRows(m_ui->DstList)));
}

void TfmSortFields::ExcludeAll()
{
    fill(m_ui->DstList, m_editor.ExcludeAll());
}

void TfmSortFields::MoveUp()
{
    const std::vector<int> rows = selectedRows(m_ui->DstList);
    const int to = m_editor.Up(rows.empty() ? -1 : rows.front());
    if (to >= 0)
        fill(m_ui->DstList, to);
}

void TfmSortFields::MoveDown()
{
    const std::vector<int> rows = selectedRows(m_ui->DstList);
    const int to = m_editor.Down(rows.empty() ? -1 : rows.front());
    if (to >= 0)
        fill(m_ui->DstList, to);
}

void TfmSortFields::SwapSortOrder()
{
    const int row = m_ui->DstList->currentItem() && m_ui->DstList->currentItem()->isSelected() ? m_ui->DstList->currentRow() : -1;
    if (row < 0)
        return;
    m_editor.Toggle(row);
    m_ui->DstList->item(row)->setText(TSortEditor::DestText(m_editor.Dest()[size_t(row)]));
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
