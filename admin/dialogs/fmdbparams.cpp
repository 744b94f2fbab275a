#include "fmdbparams.h"

#include "adminhooks.h"
#include "dialogframe.h"
#include "itemlistmodel.h"

#include "engine/admin/adminmodel.h"
#include "engine/core/format.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/driver/dbengine.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"

#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace mx::admin {

namespace {

constexpr int kHelpContext = 109;

} // namespace

struct TfmDBParams::TUi {
    QListView* lbDatabases;
    TItemListModel* databases;
    QComboBox* cobDriver;
    QLineEdit* edUserName;
    QLineEdit* edPassword;
    QLineEdit* edConfirm;
    QPushButton* btDrivers;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
};

TfmDBParams::TfmDBParams(const TMxDataModel* model, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_copy(new TMxDatabaseList(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmDBParams", kHelpContext, "Paramètres des bases de données");
    InitDbEngine();
    m_copy->Assign(model->Databases());

    TUi& u = *m_ui;
    u.databases = new TItemListModel(this);
    u.databases->SetList(m_copy.get());
    u.lbDatabases = Named(new QListView(this), "lbDatabases");
    u.lbDatabases->setModel(u.databases);
    u.lbDatabases->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.lbDatabases->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* laDatabases = Named(new QLabel(Translate("&Bases de données utilisées :"), this), "laDatabases");
    laDatabases->setBuddy(u.lbDatabases);
    u.cobDriver = Named(new QComboBox(this), "cobDriver");
    u.edUserName = Named(new QLineEdit(this), "edUserName");
    u.edPassword = Named(new QLineEdit(this), "edPassword");
    u.edConfirm = Named(new QLineEdit(this), "edConfirm");
    u.edPassword->setEchoMode(QLineEdit::Password);
    u.edConfirm->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(Translate("&Pilote"), u.cobDriver);
    form->addRow(Translate("&Nom d'utilisateur"), u.edUserName);
    form->addRow(Translate("&Mot de passe"), u.edPassword);
    form->addRow(Translate("&Confirmation"), u.edConfirm);

    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
    u.btDrivers = ui::NamedButton(this, "btDrivers", "P&ilotes...");
    u.btDrivers->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(laDatabases);
    left->addWidget(u.lbDatabases, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 3);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp, u.btDrivers));
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 42, fm.height() * 16);

    fillDrivers();

    using ui::Connect;
    Connect(u.lbDatabases->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) {
            if (!m_filling)
                ShowRow(current.isValid() ? current.row() : -1);
        });
    Connect(u.btDrivers, &QPushButton::clicked, this, [this] { EditDrivers(); });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    ShowRow(m_copy->Count() > 0 ? 0 : -1);
}

TfmDBParams::~TfmDBParams() = default;

void TfmDBParams::fillDrivers()
{
    QComboBox* box = m_ui->cobDriver;
    box->clear();
    if (TDbEngDatasourceList* list = Datasources())
        for (int i = 0; i < list->Count(); ++i)
            box->addItem(list->Items(i)->Name());
}

bool TfmDBParams::StoreShown()
{
    if (!m_shown)
        return true;
    TUi& u = *m_ui;
    m_shown->SetUserName(u.edUserName->text());
    m_shown->SetDriverName(u.cobDriver->currentText());
    if (u.edPassword->text() != u.edConfirm->text()) {
        UserService().MessageDlg(
            Translate("Les mots de passe ne correspondent pas. Le mot de passe n'a pas été modifié."),
            TMsgDlgType::mtInformation, mbOK);
        return false;
    }
    m_shown->SetPassword(u.edPassword->text());
    return true;
}

bool TfmDBParams::ShowRow(int row)
{
    if (!StoreShown()) {
        // The same database stays shown and selected.
        m_filling = true;
        m_ui->lbDatabases->setCurrentIndex(m_ui->databases->index(m_ui->databases->RowOf(m_shown)));
        m_filling = false;
        return false;
    }
    m_shown = static_cast<TMxDatabaseItem*>(m_ui->databases->ItemAt(row));
    showShown();
    return true;
}

void TfmDBParams::showShown()
{
    TUi& u = *m_ui;
    m_filling = true;
    const bool any = m_shown != nullptr;
    u.cobDriver->setCurrentIndex(any ? u.cobDriver->findText(m_shown->DriverName(), Qt::MatchFixedString) : -1);
    u.edUserName->setText(any ? m_shown->UserName() : QString());
    u.edPassword->setText(any ? m_shown->Password() : QString());
    u.edConfirm->setText(any ? m_shown->Password() : QString());
    u.cobDriver->setEnabled(any);
    u.edUserName->setEnabled(any);
    u.edPassword->setEnabled(any);
    u.edConfirm->setEnabled(any);
    u.lbDatabases->setCurrentIndex(u.databases->index(u.databases->RowOf(m_shown)));
    m_filling = false;
}

void TfmDBParams::EditDrivers()
{
    if (!StoreShown())
        return;
    if (EditConfiguration()) {
        fillDrivers();
        // The database shown keeps its driver selected.
        showShown();
    }
}

void TfmDBParams::accept()
{
    if (!StoreShown())
        return;
    TDbEngDatasourceList* datasources = Datasources();
    for (int i = 0; i < m_copy->Count(); ++i) {
        TMxDatabaseItem* item = m_copy->Items(i);
        const QString& driver = item->DriverName();
        if (driver.isEmpty() || !datasources || !datasources->FindDatasource(driver)) {
            UserService().MessageDlg(
                TranslateFmt(QStringLiteral("Attention, le pilote de la base de données %s n'est pas valide."),
                    {item->Name()}),
                TMsgDlgType::mtError, mbOK);
            ShowRow(i);
            return;
        }
    }
    QDialog::accept();
}

bool EditDatabaseParams(TMxDataModel* model)
{
    BuildDatabaseList(model);
    TfmDBParams form(model);
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;
    model->Databases()->Assign(form.Copy());
    return true;
}

} // namespace mx::admin
