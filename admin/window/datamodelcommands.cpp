// The commands of the data model window: opening, creating and saving a
// model with the checks before a save, adding and removing tables, the
// dialogs of the model and the analyses with their report.

#include "datamodelwindow.h"
#include "datamodelui.h"

#include "admin/diagram/graph.h"
#include "modeleditors.h"

#include "engine/admin/adminhelpers.h"
#include "engine/admin/adminmodel.h"
#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/core/itemptr.h"
#include "engine/core/strings.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/link.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/model/user.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"

#include "admin/dialogs/adminhooks.h"
#include "admin/dialogs/fmdbparams.h"
#include "admin/dialogs/fmmxlistselect.h"
#include "admin/dialogs/fmviewstrings.h"

#include "ui/services/dialogservice.h"
#include "ui/dialogs/opendialogs.h"

#include <QFileInfo>
#include <QGraphicsView>
#include <QLabel>
#include <QScrollBar>
#include <QSet>

namespace mx::admin {

namespace {

// The busy cursor for the length of a command.
class TBusy {
public:
    TBusy() { UserService().SetBusy(true); }
    ~TBusy() { UserService().SetBusy(false); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;
};

QString baseName(const QString& fileName)
{
    return QFileInfo(fileName).fileName();
}

int windowStateOf(const QWidget* w)
{
    return w->isMaximized() ? 2 : w->isMinimized() ? 1 : 0;
}

// Two texts of one box, one under the other.
QString joined(const char* first, const char* second)
{
    return Translate(QString::fromUtf8(first)) + u'\n' + Translate(QString::fromUtf8(second));
}

} // namespace

// ---- opening and creating ---------------------------------------------------

void TfmDataModel::OpenFile()
{
    const QString fileName = ui::SelectDataModelFile(QString(), this);
    if (!fileName.isEmpty())
        OpenModel(fileName, false);
}

void TfmDataModel::OpenModel(const QString& fileName, bool addTables)
{
    if (!CanCloseModel())
        return;
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    if (!fileName.isEmpty()) {
        m_ui->paMiddle->setText(TranslateFmt(QStringLiteral("Chargement de %s..."), {fileName}));
        try {
            model->LoadFromFile(fileName);
            m_ui->paMiddle->setText(TranslateFmt(QStringLiteral("Chargement de %s...terminé."), {fileName}));
            // A model without users is unprotected: whoever opens it
            // administers it.
            const TMxUser* user = model->CurrentUser();
            if (user && user->Level() != 0)
                throw Exception(Translate(QStringLiteral("Vous n'avez pas de droit d'administrateur.")));
        } catch (const EAbort&) {
            // The login was cancelled: the window keeps what it had.
            m_ui->paMiddle->clear();
            return;
        } catch (const std::exception& e) {
            model.reset();
            m_ui->paMiddle->clear();
            UserService().MessageDlg(TranslateFmt(QStringLiteral("Impossible de charger le modèle %s :"), {baseName(fileName)})
                    + u'\n' + ExceptionMessage(e),
                TMsgDlgType::mtError, mbOK);
            return;
        }
        // Only a model that opened joins the recent models: the list keeps
        // what it can open again.
        addToHistory(model->FileName());
    } else {
        model->SetWindowState(windowStateOf(this));
    }
    SetModel(model.release());
    if (fileName.isEmpty() && addTables)
        AddTables();
}

void TfmDataModel::AddTables()
{
    TMxDataModel* model = Model();
    if (!model)
        return;
    m_ui->paMiddle->setText(Translate(QStringLiteral("Sélection de tables à ajouter au modèle de données...")));
    TStrings entries;
    TItemPtr<TMxDatabaseItem> database(new TMxDatabaseItem(nullptr));
    if (!TableSelector || !TableSelector(&entries, database.get())) {
        m_ui->paMiddle->clear();
        return;
    }
    {
        TBusy busy;
        ProgressStart(entries.Count());
        try {
            for (int i = 0; i < entries.Count(); ++i) {
                const QString entry = entries[i];
                m_ui->paMiddle->setText(TranslateFmt(QStringLiteral("Analyse de la table %s..."), {entry}));
                AddTable(model, ExtractAliasOrPath(entry), ExtractAliasFileName(entry));
                ProgressStep();
            }
        } catch (...) {
            ProgressEnd();
            throw;
        }
        MakeFieldNamesUnique(model->Tables());
        if (!database->Name().isEmpty() && !model->Databases()->FindByName(database->Name()))
            database->Clone(model->Databases());
        model->BuildAllFields();
        ProgressEnd();
    }
    m_ui->paMiddle->setText(Translate(QStringLiteral("Analyse terminée.")));
    m_graph->Resync();
    AtStateChange();
    if (UserService().MessageDlg(joined("Analyse des structures de tables terminée.", "Voulez-vous faire une analyse automatique des liens ?"),
            TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes)
        AutoLink(false);
    model->MarkModified();
}

void TfmDataModel::AutoLink(bool report)
{
    TMxDataModel* model = Model();
    if (!model)
        return;
    {
        TBusy busy;
        model->MarkModified();
        AnalyseLinks(model);
    }
    if (report)
        ShowReport(Translate(QStringLiteral("Compte rendu de l'analyse des liens")));
}

// ---- closing and saving -------------------------------------------------------

bool TfmDataModel::CanCloseModel()
{
    TMxDataModel* model = Model();
    if (!model || !model->Modified())
        return true;
    const QString name = model->FileName().isEmpty() ? Translate(QStringLiteral("sans nom")) : model->FileName();
    const int answer = UserService().MessageDlg(
        name + u'\n' + Translate(QStringLiteral("Voulez-vous sauvegarder le modèle de données ?")), TMsgDlgType::mtWarning,
        mbYes | mbNo | mbCancel);
    if (answer == mrYes)
        return SaveModel();
    if (answer == mrNo)
        return true;
    throw EAbort(QStringLiteral("Operation aborted"));
}

void TfmDataModel::CloseModel()
{
    // A refused or failed save keeps the model, without asking again.
    if (CanCloseModel())
        SetModel(nullptr);
}

bool TfmDataModel::CheckBeforeSave()
{
    TMxDataModel* model = Model();
    if (!model)
        return false;
    model->SetWindowState(windowStateOf(this));
    // Every save is checked: a model that reaches its file has unique full
    // names, users in groups and a driver for each database.
    try {
        CheckAllFieldNames(model->Tables());
    } catch (const std::exception& e) {
        UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtConfirmation, mbYes);
        EditTables(nullptr);
        return false;
    }
    if (model->Groups()->Count() == 0 || model->Users()->Count() == 0) {
        const int answer = UserService().MessageDlg(
            joined("La définition des utilisateurs et des groupes est incomplète.", "Souhaitez-vous enregistrer le modèle de données ?"),
            TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
        if (answer == mrNo)
            EditRights();
        if (answer != mrYes)
            return false;
    }
    try {
        CheckUsersWithoutGroup(model);
    } catch (const std::exception& e) {
        UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtConfirmation, mbYes);
        EditRights();
        return false;
    }
    TDbEngDatasourceList* datasources = Datasources();
    TMxDatabaseList* databases = model->Databases();
    for (int i = 0; i < databases->Count(); ++i) {
        const TMxDatabaseItem* item = databases->Items(i);
        const TDbEngDatasource* datasource = datasources ? datasources->FindDatasource(item->DriverName()) : nullptr;
        if (!datasource) {
            const QString key = QStringLiteral("La base de données %s n a pas de pilote");
            QString text = TranslateFmt(key, {item->Name()});
            if (text == Format(key, {item->Name()}))
                text = Format(QStringLiteral("La base de données %s n'a pas de pilote"), {item->Name()});
            UserService().MessageDlg(text, TMsgDlgType::mtWarning, mbOK);
            EditDatabases();
            return false;
        }
        if (item->Password().isEmpty() && item->UserName().isEmpty()
            && datasource->Name().compare(QStringLiteral("STANDARD"), Qt::CaseInsensitive) != 0) {
            const int answer = UserService().MessageDlg(
                joined("La définition des mots de passe est incomplète.", "Souhaitez-vous enregistrer le modèle de données ?"),
                TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
            if (answer == mrNo)
                EditDatabases();
            if (answer != mrYes)
                return false;
        }
    }
    return true;
}

bool TfmDataModel::SaveModel()
{
    TMxDataModel* model = Model();
    if (!model)
        return false;
    if (model->FileName().isEmpty())
        return SaveModelAs();
    if (!CheckBeforeSave())
        return false;
    return saveTo(model->FileName());
}

bool TfmDataModel::SaveModelAs()
{
    TMxDataModel* model = Model();
    if (!model || !CheckBeforeSave())
        return false;
    ui::TFileRequest request;
    request.caption = Translate(QStringLiteral("Enregistrer le modèle de données"));
    request.directory = AppGlobal() ? AppGlobal()->GetConfigStr(csDMPath) : QString();
    request.fileName = model->FileName();
    request.filters = {Translate(QStringLiteral("Dict. de données")) + QStringLiteral(" (*.MDD *.mdd)")};
    request.defaultSuffix = QStringLiteral("mdd");
    request.history = 11;
    request.helpContext = 98;
    const QString chosen = ui::UiService().SaveFileName(this, request);
    if (chosen.isEmpty())
        return false;
    const QString fileName = ModelFileName(chosen);
    if (!saveTo(fileName))
        return false;
    addToHistory(fileName);
    AtStateChange();
    return true;
}

bool TfmDataModel::saveTo(const QString& fileName)
{
    TMxDataModel* model = Model();
    const QString formerName = model->FileName();
    try {
        TBusy busy;
        StoreDesignSize();
        model->SetFileName(fileName);
        // The file is written whole beside the old one before it takes its
        // place: a failure leaves the old file and its backup as they were.
        model->SaveToFile(fileName);
    } catch (const std::exception& e) {
        model->SetFileName(formerName);
        model->SetModified(true);
        UserService().MessageDlg(TranslateFmt(QStringLiteral("Le modèle %s n'a pas été enregistré :"), {baseName(fileName)})
                + u'\n' + ExceptionMessage(e),
            TMsgDlgType::mtError, mbOK);
        AtStateChange();
        return false;
    }
    AtStateChange();
    return true;
}

void TfmDataModel::StoreDesignSize()
{
    TMxDataModel* model = Model();
    if (!model)
        return;
    m_ui->sbx->horizontalScrollBar()->setValue(0);
    m_ui->sbx->verticalScrollBar()->setValue(0);
    model->SetDesignW(m_client->width());
    model->SetDesignH(m_client->height());
}

// ---- the model's dialogs ----------------------------------------------------

void TfmDataModel::EditTables(TMxTable* first)
{
    TMxDataModel* model = Model();
    if (!model || !TablePropertiesEditor)
        return;
    if (TablePropertiesEditor(model->Tables(), first)) {
        model->BuildAllFields();
        model->MarkModified();
    }
}

void TfmDataModel::EditEntities(TMxTable* first)
{
    TMxDataModel* model = Model();
    if (!model || !EntitiesEditor)
        return;
    if (EntitiesEditor(model, first)) {
        model->MarkModified();
        m_graph->Resync();
    }
}

bool TfmDataModel::EditDatabases()
{
    TMxDataModel* model = Model();
    if (!model || !EditDatabaseParams(model))
        return false;
    model->MarkModified();
    return true;
}

bool TfmDataModel::EditRights()
{
    TMxDataModel* model = Model();
    if (!model || !UsersEditor || !UsersEditor(model))
        return false;
    model->MarkModified();
    return true;
}

void TfmDataModel::EditSets()
{
    TMxDataModel* model = Model();
    if (model && SetsEditor && SetsEditor(model))
        model->MarkModified();
}

// ---- analyses and the report ------------------------------------------------

void TfmDataModel::ShowReport(const QString& caption)
{
    TMxDataModel* model = Model();
    if (!model)
        return;
    if (ViewStrings(caption, model->Report()->toStringList()) == 2)
        model->Report()->Clear();
}

void TfmDataModel::AnalyseAllTables()
{
    TMxDataModel* model = Model();
    if (!model)
        return;
    model->MarkModified();
    {
        TBusy busy;
        AnalyseTables(model);
    }
    ShowReport(Translate(QStringLiteral("Compte rendu de l'analyse des tables")));
}

void TfmDataModel::AnalyseSelectedTable()
{
    TMxDataModel* model = Model();
    TMxTable* table = SelectedTable();
    if (!model || !table)
        return;
    model->MarkModified();
    {
        TBusy busy;
        AnalyseTable(model, table);
    }
    ShowReport(Translate(QStringLiteral("Compte rendu de l'analyse de la table")));
}

// ---- tables -------------------------------------------------------------------

void TfmDataModel::RemoveTable(TMxTable* table)
{
    TMxDataModel* model = Model();
    if (!model || !table)
        return;
    if (UserService().MessageDlg(TranslateFmt(QStringLiteral("Voulez-vous retirer la table %s ?"), {table->FullName()}),
            TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    TStrings* report = model->Report();
    report->Add(QString());
    report->Add(TranslateFmt(QStringLiteral("Retrait de la table %s"), {table->FullName()}));
    // Its fields as removed fields (each a copy bearing the table's Id), so
    // that every reference to them goes before the table does.
    TItemPtr<TDmFieldList> removed(new TDmFieldList(nullptr));
    for (int i = 0; i < table->Fields()->Count(); ++i)
        table->Fields()->Items(i)->Clone(removed.get())->SetId(table->Id());
    TMxTableList* tables = model->Tables();
    QSet<QString> kept;
    for (int t = 0; t < tables->Count(); ++t) {
        TMxTable* other = tables->Items(t);
        if (other == table)
            continue;
        for (int j = 0; j < other->Fields()->Count(); ++j)
            kept.insert(other->Fields()->Items(j)->FullName().toUpper());
        TMxEntityList* entities = other->Entities();
        for (int e = 0; e < entities->Count(); ++e) {
            TMxEntity* entity = entities->Items(e);
            for (int c = 0; c < entity->Criterias()->Count(); ++c)
                PurgeFields(entity->Criterias()->Items(c)->Criteria(), removed.get(), report);
            PurgeFields(entity->Formulas(), removed.get(), report);
        }
    }
    // A set names its fields by full name: a name another table's field
    // still bears stays.
    TItemPtr<TDmFieldList> gone(new TDmFieldList(nullptr));
    for (int i = 0; i < removed->Count(); ++i)
        if (!kept.contains(removed->Items(i)->FullName().toUpper()))
            removed->Items(i)->Clone(gone.get())->SetId(table->Id());
    TMxDomainList* domains = model->Domains();
    for (int d = 0; d < domains->Count(); ++d) {
        TMxDomain* domain = domains->Items(d);
        PurgeFields(domain, gone.get(), report);
        // Field tokens and field-bound parameters name the field by its
        // table too: those go even when the full name stays elsewhere.
        PurgeFields(domain->Variables(), removed.get(), report);
        PurgeFields(domain->Criteria(), removed.get(), report);
        TMxQueryFieldList* calculated = domain->CalcFields();
        for (int i = 0; i < calculated->Count(); ++i)
            PurgeFields(calculated->Items(i)->FormulaList(), removed.get(), report);
    }
    // Its links: where it is master, last first, then its own master link.
    TMxLinkList* links = model->TLinks();
    for (int i = links->Count() - 1; i >= 0; --i)
        if (links->Items(i)->Master() == table->Id())
            links->Items(i)->Free();
    for (int i = links->Count() - 1; i >= 0; --i)
        if (links->Items(i)->Detail() == table->Id())
            links->Items(i)->Free();
    const QString database = table->Database();
    m_graph->SetSelected(nullptr);
    m_graph->SetSelectedLink(nullptr);
    table->Free();
    // Its database item when no other table uses it.
    bool used = false;
    for (int t = 0; t < tables->Count() && !used; ++t)
        used = tables->Items(t)->Database().compare(database, Qt::CaseInsensitive) == 0;
    if (!used) {
        if (TMxDatabaseItem* item = model->Databases()->FindByName(database)) {
            report->Add(TranslateFmt(QStringLiteral("Suppression de la base de données '%s' inutilisée."), {item->Name()}));
            item->Free();
        }
    }
    model->BuildAllFields();
    model->MarkModified();
    AtStateChange();
}

void TfmDataModel::UnlinkAll()
{
    TMxDataModel* model = Model();
    if (!model)
        return;
    if (UserService().MessageDlg(Translate(QStringLiteral("Vous allez supprimer tous les liens actuellement définis dans le modèle.")),
            TMsgDlgType::mtConfirmation, mbOK | mbCancel) != mrOk)
        return;
    m_graph->SetSelectedLink(nullptr);
    model->TLinks()->Clear();
    model->MarkModified();
}

void TfmDataModel::FindTable()
{
    TMxDataModel* model = Model();
    if (!model)
        return;
    auto* table = dynamic_cast<TMxTable*>(SelectItem(Translate(QStringLiteral("Chercher une table")), model->Tables()));
    if (!table)
        return;
    if (TGraphTable* panel = m_graph->FindTable(table)) {
        m_graph->SetSelected(panel);
        m_ui->sbx->ensureVisible(panel->Rect());
    }
}

} // namespace mx::admin
