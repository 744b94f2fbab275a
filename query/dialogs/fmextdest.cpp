#include "fmextdest.h"

#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/destination/querydestination.h"

#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

namespace mx {

namespace {

constexpr int kDestHelpContext = 4;

QPushButton* button(const QString& text, const char* name)
{
    auto* b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QTableWidgetItem* fixedCell(const QString& text)
{
    auto* c = new QTableWidgetItem(text);
    c->setFlags(c->flags() & ~Qt::ItemIsEditable);
    return c;
}

} // namespace

struct TfmExtDest::TUi {
    QTabWidget* nbPages;
    QTableWidget* sgDest;
    QPushButton* btEdit;
    QPushButton* btView;
    QPushButton* btPrint;
    QGroupBox* gbExtract;
    QScrollArea* sb;
    QGroupBox* gbOptions;
    QCheckBox* cbDistinctSelect;
    QCheckBox* cbCreateView;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmExtDest::~TfmExtDest() = default;

TfmExtDest::TfmExtDest(TMxQueryStep* step, QWidget* parent) : QDialog(parent), m_ui(std::make_unique<TUi>()), m_editor(step)
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmExtDest"));
    setProperty("helpContext", kDestHelpContext);
    setWindowTitle(Translate("Result Options"));

    u.nbPages = new QTabWidget;
    u.nbPages->setObjectName(QStringLiteral("nbPages"));

    // "Résultats": one row per destination; the file name is typed in
    u.sgDest = new QTableWidget(m_editor.DestinationCount(), 3);
    u.sgDest->setObjectName(QStringLiteral("sgDest"));
    u.sgDest->setHorizontalHeaderLabels({Translate("N°"), Translate("Résultats"), Translate("Nom du fichier")});
    u.sgDest->verticalHeader()->hide();
    u.sgDest->setSelectionMode(QAbstractItemView::SingleSelection);
    u.sgDest->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    const QFontMetrics fm = fontMetrics();
    u.sgDest->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral("N°")) + fm.averageCharWidth() * 2);
    u.sgDest->setColumnWidth(1, fm.averageCharWidth() * 15);
    u.sgDest->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < m_editor.DestinationCount(); ++i) {
        const TQueryDestinationItem* d = m_editor.Destination(i);
        u.sgDest->setItem(i, 0, fixedCell(QString::number(i + 1)));
        u.sgDest->setItem(i, 1, fixedCell(d->Name()));
        u.sgDest->setItem(i, 2, new QTableWidgetItem(d->FileName()));
    }
    if (u.sgDest->rowCount() > 0)
        u.sgDest->setCurrentCell(0, 2);
    u.btEdit = button(Translate("&Editer..."), "btEdit");
    u.btView = button(Translate("&Voir..."), "btView");
    u.btPrint = button(Translate("&Imprimer..."), "btPrint");
    auto* results = new QWidget;
    auto* vr = new QVBoxLayout(results);
    vr->addWidget(u.sgDest, 1);
    auto* acts = new QHBoxLayout;
    acts->addWidget(u.btEdit);
    acts->addWidget(u.btView);
    acts->addWidget(u.btPrint);
    vr->addLayout(acts);
    u.nbPages->addTab(results, Translate("Résultats"));

    // "Options": one row per outer side a join allows
    u.gbExtract = new QGroupBox(Translate("Extraire aussi"));
    u.gbExtract->setObjectName(QStringLiteral("gbExtract"));
    u.sb = new QScrollArea;
    u.sb->setObjectName(QStringLiteral("sb"));
    u.sb->setWidgetResizable(true);
    auto* boxes = new QWidget;
    auto* vb = new QVBoxLayout(boxes);
    for (const TDestinationsEditor::TJoinBox& b : m_editor.JoinBoxes()) {
        auto* cb = new QCheckBox(b.caption);
        cb->setChecked(b.checked);
        cb->setProperty("tag", b.tag);
        vb->addWidget(cb);
    }
    vb->addStretch();
    u.sb->setWidget(boxes);
    auto* ve = new QVBoxLayout(u.gbExtract);
    ve->addWidget(u.sb);
    u.gbOptions = new QGroupBox(Translate("Options"));
    u.gbOptions->setObjectName(QStringLiteral("gbOptions"));
    u.cbDistinctSelect = new QCheckBox(Translate("Supprimer toutes les lignes identiques"));
    u.cbDistinctSelect->setObjectName(QStringLiteral("cbDistinctSelect"));
    u.cbDistinctSelect->setChecked(m_editor.DistinctSelect());
    u.cbCreateView = new QCheckBox(Translate("La réponse sera stockée sur le serveur"));
    u.cbCreateView->setObjectName(QStringLiteral("cbCreateView"));
    u.cbCreateView->setEnabled(m_editor.CreateViewEnabled());
    u.cbCreateView->setChecked(m_editor.CreateView());
    u.cbCreateView->setVisible(false);
    auto* vo = new QVBoxLayout(u.gbOptions);
    vo->addWidget(u.cbDistinctSelect);
    vo->addWidget(u.cbCreateView);
    auto* options = new QWidget;
    auto* vp = new QVBoxLayout(options);
    vp->addWidget(u.gbExtract, 1);
    vp->addWidget(u.gbOptions);
    u.nbPages->addTab(options, Translate("Options"));
    u.nbPages->setCurrentIndex(0);

    u.btOk = button(Translate("Ok"), "btOk");
    u.btOk->setDefault(true);
    u.btCancel = button(Translate("Annuler"), "btCancel");
    u.btHelp = button(Translate("Aide"), "btHelp");
    auto* side = new QVBoxLayout;
    side->addWidget(u.btOk);
    side->addWidget(u.btCancel);
    side->addWidget(u.btHelp);
    side->addStretch();
    auto* main = new QHBoxLayout(this);
    main->addWidget(u.nbPages, 1);
    main->addLayout(side);
    resize(414, 306);

    using ui::Connect;
    using TAction = TDestinationsEditor::TAction;
    Connect(u.btEdit, &QPushButton::clicked, this, [this] { Act(TAction::Customize); });
    Connect(u.btView, &QPushButton::clicked, this, [this] { Act(TAction::View); });
    Connect(u.btPrint, &QPushButton::clicked, this, [this] { Act(TAction::Print); });
    Connect(u.sgDest, &QTableWidget::cellDoubleClicked, this, [this] { Act(TAction::Customize); });
    Connect(u.btOk, &QPushButton::clicked, this, [this] { accept(); });
    Connect(u.btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(u.btHelp, &QPushButton::clicked, this, [this] { ui::ShowDialogHelp(this); });
}

QList<QCheckBox*> TfmExtDest::joinBoxes() const
{
    QList<QCheckBox*> list;
    for (QCheckBox* cb : m_ui->sb->widget()->findChildren<QCheckBox*>())
        list << cb;
    return list;
}

TDestinationsEditor::TChoices TfmExtDest::Choices() const
{
    TDestinationsEditor::TChoices c;
    for (QCheckBox* cb : joinBoxes())
        c.boxes.emplace_back(cb->property("tag").toInt(), cb->isChecked());
    c.createView = m_ui->cbCreateView->isChecked();
    c.distinct = m_ui->cbDistinctSelect->isChecked();
    for (int i = 0; i < m_ui->sgDest->rowCount(); ++i) {
        const QTableWidgetItem* cell = m_ui->sgDest->item(i, 2);
        c.fileNames.push_back(cell ? cell->text() : QString());
    }
    return c;
}

void TfmExtDest::Act(TDestinationsEditor::TAction action)
{
    if (!m_editor.Act(action, m_ui->sgDest->currentRow()))
        UserService().MessageDlg(Translate("La vue n'est pas active, veuillez lancer l'extraction."), TMsgDlgType::mtInformation, mbOK);
}

bool EditDestinations(TMxQueryStep* step)
{
    auto form = std::make_unique<TfmExtDest>(step);
    if (ui::RunModal(*form) == QDialog::Accepted) {
        form->Editor().Commit(form->Choices());
        return true;
    }
    form->Editor().Cancel();
    return false;
}

} // namespace mx
