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

TfmExtDest::TfmExtDest(TMxQueryStep* step, QWidget* parent) : QDialog(parent), m_editor(step)
{
    setObjectName(QStringLiteral("fmExtDest"));
    setProperty("helpContext", kDestHelpContext);
    setWindowTitle(Translate("Result Options"));

    nbPages = new QTabWidget;
    nbPages->setObjectName(QStringLiteral("nbPages"));

    // "Résultats": one row per destination; the file name is typed in
    sgDest = new QTableWidget(m_editor.DestinationCount(), 3);
    sgDest->setObjectName(QStringLiteral("sgDest"));
    sgDest->setHorizontalHeaderLabels({Translate("N°"), Translate("Résultats"), Translate("Nom du fichier")});
    sgDest->verticalHeader()->hide();
    sgDest->setSelectionMode(QAbstractItemView::SingleSelection);
    sgDest->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    const QFontMetrics fm = fontMetrics();
    sgDest->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral("N°")) + fm.averageCharWidth() * 2);
    sgDest->setColumnWidth(1, fm.averageCharWidth() * 15);
    sgDest->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < m_editor.DestinationCount(); ++i) {
        const TQueryDestinationItem* d = m_editor.Destination(i);
        sgDest->setItem(i, 0, fixedCell(QString::number(i + 1)));
        sgDest->setItem(i, 1, fixedCell(d->Name()));
        sgDest->setItem(i, 2, new QTableWidgetItem(d->FileName()));
    }
    if (sgDest->rowCount() > 0)
        sgDest->setCurrentCell(0, 2);
    btEdit = button(Translate("&Editer..."), "btEdit");
    btView = button(Translate("&Voir..."), "btView");
    btPrint = button(Translate("&Imprimer..."), "btPrint");
    auto* results = new QWidget;
    auto* vr = new QVBoxLayout(results);
    vr->addWidget(sgDest, 1);
    auto* acts = new QHBoxLayout;
    acts->addWidget(btEdit);
    acts->addWidget(btView);
    acts->addWidget(btPrint);
    vr->addLayout(acts);
    nbPages->addTab(results, Translate("Résultats"));

    // "Options": one row per outer side a join allows
    gbExtract = new QGroupBox(Translate("Extraire aussi"));
    gbExtract->setObjectName(QStringLiteral("gbExtract"));
    sb = new QScrollArea;
    sb->setObjectName(QStringLiteral("sb"));
    sb->setWidgetResizable(true);
    auto* boxes = new QWidget;
    auto* vb = new QVBoxLayout(boxes);
    for (const TDestinationsEditor::TJoinBox& b : m_editor.JoinBoxes()) {
        auto* cb = new QCheckBox(b.caption);
        cb->setChecked(b.checked);
        cb->setProperty("tag", b.tag);
        vb->addWidget(cb);
    }
    vb->addStretch();
    sb->setWidget(boxes);
    auto* ve = new QVBoxLayout(gbExtract);
    ve->addWidget(sb);
    gbOptions = new QGroupBox(Translate("Options"));
    gbOptions->setObjectName(QStringLiteral("gbOptions"));
    cbDistinctSelect = new QCheckBox(Translate("Supprimer toutes les lignes identiques"));
    cbDistinctSelect->setObjectName(QStringLiteral("cbDistinctSelect"));
    cbDistinctSelect->setChecked(m_editor.DistinctSelect());
    cbCreateView = new QCheckBox(Translate("La réponse sera stockée sur le serveur"));
    cbCreateView->setObjectName(QStringLiteral("cbCreateView"));
    cbCreateView->setEnabled(m_editor.CreateViewEnabled());
    cbCreateView->setChecked(m_editor.CreateView());
    cbCreateView->setVisible(false);
    auto* vo = new QVBoxLayout(gbOptions);
    vo->addWidget(cbDistinctSelect);
    vo->addWidget(cbCreateView);
    auto* options = new QWidget;
    auto* vp = new QVBoxLayout(options);
    vp->addWidget(gbExtract, 1);
    vp->addWidget(gbOptions);
    nbPages->addTab(options, Translate("Options"));
    nbPages->setCurrentIndex(0);

    btOk = button(Translate("Ok"), "btOk");
    btOk->setDefault(true);
    btCancel = button(Translate("Annuler"), "btCancel");
    btHelp = button(Translate("Aide"), "btHelp");
    auto* side = new QVBoxLayout;
    side->addWidget(btOk);
    side->addWidget(btCancel);
    side->addWidget(btHelp);
    side->addStretch();
    auto* main = new QHBoxLayout(this);
    main->addWidget(nbPages, 1);
    main->addLayout(side);
    resize(414, 306);

    using ui::Connect;
    using TAction = TDestinationsEditor::TAction;
    Connect(btEdit, &QPushButton::clicked, this, [this] { Act(TAction::Customize); });
    Connect(btView, &QPushButton::clicked, this, [this] { Act(TAction::View); });
    Connect(btPrint, &QPushButton::clicked, this, [this] { Act(TAction::Print); });
    Connect(sgDest, &QTableWidget::cellDoubleClicked, this, [this] { Act(TAction::Customize); });
    Connect(btOk, &QPushButton::clicked, this, [this] { accept(); });
    Connect(btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(btHelp, &QPushButton::clicked, this, [this] { ui::ShowDialogHelp(this); });
}

QList<QCheckBox*> TfmExtDest::JoinBoxes() const
{
    QList<QCheckBox*> list;
    for (QCheckBox* cb : sb->widget()->findChildren<QCheckBox*>())
        list << cb;
    return list;
}

TDestinationsEditor::TChoices TfmExtDest::Choices() const
{
    TDestinationsEditor::TChoices c;
    for (QCheckBox* cb : JoinBoxes())
        c.boxes.emplace_back(cb->property("tag").toInt(), cb->isChecked());
    c.createView = cbCreateView->isChecked();
    c.distinct = cbDistinctSelect->isChecked();
    for (int i = 0; i < sgDest->rowCount(); ++i) {
        const QTableWidgetItem* cell = sgDest->item(i, 2);
        c.fileNames.push_back(cell ? cell->text() : QString());
    }
    return c;
}

void TfmExtDest::Act(TDestinationsEditor::TAction action)
{
    if (!m_editor.Act(action, sgDest->currentRow()))
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
