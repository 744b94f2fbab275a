// The designer's own commands: new query, open, save, save as, close, run,
// the recent-file lists, the question before a query is dropped, and the
// program's event loop over the designer windows.

#include "querydesigner.h"
#include "designerui.h"

#include "commandlink.h"

#include "endsignals.h"

#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/core/strings.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/user.h"
#include "engine/model/modeltypes.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/run/queryrun.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"

#include "ui/controls/brntips.h"
#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"
#include "ui/dialogs/opendialogs.h"
#include "ui/controls/picturelistbox.h"
#include "query/editor/runprogress.h"
#include "ui/controls/splitter.h"
#include "ui/errorwindow/uiservice.h"

#include "query/server/enginebusy.h"

#include "startup/startup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

namespace mx {

namespace {

void status(const QString& text)
{
    if (AppGlobal())
        AppGlobal()->SetStatusText(text);
}

QString configStr(TConfigStr which)
{
    return AppGlobal() ? AppGlobal()->GetConfigStr(which) : QString();
}

} // namespace

void TfmQueryDesigner::connectCommands()
{
    const auto on = [this](const char* name, auto fn) {
        if (QAction* a = action(name))
            ui::Connect(a, &QAction::triggered, this, fn);
    };
    const auto click = [this](int index, auto fn) { ui::Connect(m_ui->buttons[index], &QToolButton::clicked, this, fn); };
    on("miNewWindow", [] { new TfmQueryDesigner; });
    on("miNewQueryFromOtherDic", [this] { NewQuery(QString()); });
    click(0, [this] { NewQuery(QString()); });
    on("miOpenQuery", [this] { OpenQuery(QString()); });
    click(1, [this] { OpenQuery(QString()); });
    on("miSaveQuery", [this] { Save(); });
    on("miSaveQueryAs", [this] { SaveAs(); });
    on("miCloseQuery", [this] { CloseQuery(); });
    on("miExit", [this] { close(); });
    on("miQueryRun", [this] { RunQuery(); });
    click(2, [this] { RunQuery(); });
    on("miSmallIcons", [this] { SetLargeIcons(!m_largeIcons); });
    on("miTips", [this] { showTips(); });
    ui::Connect(m_ui->Splitter1, &ui::TMxSplitter::OnMarqueeChange, this, [this] { SetLargeIcons(m_ui->Splitter1->MarqueeIndex() == 1); });
    ui::Connect(m_ui->splSQL, &ui::TMxSplitter::OnMarqueeChange, this, [this] { applySqlMarquee(); });
    ui::Connect(m_ui->plbSteps, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { m_ui->pmSteps->popup(m_ui->plbSteps->viewport()->mapToGlobal(pos)); });
    ui::Connect(m_ui->cbPrintAuto, &QCheckBox::clicked, this, [this](bool checked) {
        if (TMxQuery* q = GetQuery(); q && !m_updating && !m_destroying) {
            q->SetOptionsPrintAuto(checked);
            q->MarkModified();
            AtStateChange();
        }
    });
    ui::Connect(m_ui->cbDumpTables, &QCheckBox::clicked, this, [this](bool checked) {
        if (TMxQuery* q = GetQuery(); q && !m_updating && !m_destroying) {
            q->SetOptionsDumpTables(checked);
            q->MarkModified();
            AtStateChange();
        }
    });
    ui::Connect(m_ui->edQueryName, &QLineEdit::editingFinished, this, [this] { writeBackProperties(); });
    ui::Connect(m_ui->edViewPrefix, &QLineEdit::editingFinished, this, [this] { writeBackProperties(); });
    ui::Connect(m_ui->cobDomain, &QComboBox::activated, this, [this](int index) { domainChanged(index); });
    m_ui->moQryInfos->installEventFilter(this);
}

void TfmQueryDesigner::writeBackProperties()
{
    TMxQuery* q = GetQuery();
    if (!q || m_updating || m_destroying)
        return;
    bool changed = false;
    if (m_ui->edQueryName->text() != q->GetName()) {
        q->SetName(m_ui->edQueryName->text());
        changed = true;
    }
    if (m_ui->edViewPrefix->text() != q->ViewPrefix()) {
        q->SetViewPrefix(m_ui->edViewPrefix->text().left(8));
        changed = true;
    }
    if (m_ui->moQryInfos->toPlainText() != InformationsText(*q)) {
        q->Informations()->SetText(m_ui->moQryInfos->toPlainText());
        changed = true;
    }
    if (changed) {
        q->MarkModified();
        AtStateChange();
    }
}

void TfmQueryDesigner::domainChanged(int index)
{
    TMxQuery* q = GetQuery();
    if (!q || index < 0 || !q->DataModel())
        return;
    const int id = m_ui->cobDomain->itemData(index).toInt();
    if (id == q->DomId())
        return;
    // The command takes only a set open to the user, and only while the
    // one step has no entity: nothing of the user's work is dropped.
    m_ui->cobDomain->setProperty("tag", 1);
    struct TagBack {
        QComboBox* combo;
        ~TagBack() { combo->setProperty("tag", 0); }
    } tagBack{m_ui->cobDomain};
    m_commandLink->Commands().ChangeDomain(id);
    m_ui->cobDomain->setProperty("tag", 0);
    AtStateChange();
}

bool TfmQueryDesigner::SaveIfModified()
{
    TMxQuery* q = GetQuery();
    const auto ask = [q] {
        return UserService().MessageDlg(
            Translate(QStringLiteral("Voulez-vous sauvegarder la requête ?")) + u'\n' + q->GetCaption(),
            TMsgDlgType::mtWarning, mbYes | mbNo | mbCancel);
    };
    return DecideSaveIfModified(q && q->Modified(), ask, [this] { return Save(); }) == TSaveOutcome::Proceed;
}

bool TfmQueryDesigner::LoadDataModel(const QString& fileName)
{
    // The name is kept as given: file names are case-sensitive here.
    status(QString());
    if (m_model) {
        if (!GetQuery() || GetQuery()->DataModel() != m_model)
            m_model->Free();
        m_model = nullptr;
    }
    if (fileName.isEmpty()) {
        AtStateChange();
        return false;
    }
    bool loaded = false;
    try {
        m_model = new TMxDataModel(nullptr);
        status(TranslateFmt(QStringLiteral("Chargement du modèle de données : %s..."), {fileName}));
        m_model->LoadFromFile(fileName);
        if (const TMxUser* user = m_model->CurrentUser(); user && !(user->Rights() & UserRight(urCreateQueries)))
            throw EMxException(Translate(QStringLiteral("Vous n'avez pas le droit de créer des requêtes dans ce modèle")));
        status(Translate(QStringLiteral("Chargement terminé")));
        loaded = true;
    } catch (const std::exception& e) {
        status(QString());
        if (m_model)
            m_model->Free();
        m_model = nullptr;
        if (!dynamic_cast<const EAbort*>(&e))
            UserService().MessageDlg(TranslateFmt(QStringLiteral("Impossible de charger le modèle %s:"), {QFileInfo(fileName).fileName()})
                    + u'\n' + ExceptionMessage(e),
                TMsgDlgType::mtError, mbOK);
    }
    addToHistory(11, loaded && !m_model->FileName().isEmpty() ? QFileInfo(m_model->FileName()).absoluteFilePath() : fileName);
    AtStateChange();
    return loaded;
}

void TfmQueryDesigner::NewQuery(const QString& modelFile)
{
    QString file = modelFile;
    if (file.isEmpty())
        file = ui::SelectDataModelFile(QString(), this, GetQuery() ? LoadedModelFile(*GetQuery()) : QString());
    if (file.isEmpty() || !SaveIfModified() || !LoadDataModel(file))
        return;
    TItemPtr<TMxQuery> query(new TMxQuery(nullptr));
    try {
        query->SetInteractive(true);
        // The query holds the model from here on and frees it with itself.
        query->SetDataModel(std::exchange(m_model, nullptr), true);
        TMxDomainList* sets = query->DataModel()->AccessibleDomains();
        if (sets && sets->Count() > 0)
            query->SetDomId(sets->Items(0)->Id());
        query->AddStep();
        query->SetModified(false);
    } catch (const std::exception& e) {
        query.reset();
        UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
        AtStateChange();
        return;
    }
    SetQuery(query.release());
}

void TfmQueryDesigner::OpenQuery(const QString& fileName)
{
    QString file = fileName;
    if (file.isEmpty())
        file = ui::SelectQueryFile(QString(), this, GetQuery() ? GetQuery()->FileName() : QString());
    if (file.isEmpty() || !SaveIfModified())
        return;
    TItemPtr<TMxQuery> query(new TMxQuery(nullptr));
    query->LoadFromFile(file);
    query->SetInteractive(true);
    addToHistory(10, query->FileName());
    addToHistory(11, LoadedModelFile(*query));
    SetQuery(query.release());
}

void TfmQueryDesigner::setFileName(const QString& fileName)
{
    if (TMxQuery* q = GetQuery()) {
        q->SetFileName(fileName);
        AtStateChange();
    }
}

bool TfmQueryDesigner::Save()
{
    TMxQuery* q = GetQuery();
    if (!q)
        return false;
    if (q->FileName().isEmpty())
        return SaveAs();
    SaveLayout();
    q->SaveToFile(q->FileName());
    status(Translate(QStringLiteral("Requête enregistrée.")));
    addToHistory(10, q->FileName());
    AtStateChange();
    return true;
}

bool TfmQueryDesigner::SaveAs()
{
    TMxQuery* q = GetQuery();
    if (!q)
        return false;
    ui::TFileRequest r;
    r.caption = Translate(QStringLiteral("Sauvegarder requête sous..."));
    // Beside the query when it has a file, else in the private folder.
    r.directory = !q->FileName().isEmpty() && QFileInfo(q->FileName()).absoluteDir().exists()
        ? QFileInfo(q->FileName()).absolutePath()
        : configStr(csPrivateQueryPath);
    r.fileName = q->FileName();
    r.filters = {Translate(QStringLiteral("Requête (*.MQR)"))};
    r.defaultSuffix = QStringLiteral("MQR");
    r.history = 10;
    const QString chosen = ui::UiService().SaveFileName(this, r);
    if (chosen.isEmpty())
        return false;
    const QFileInfo info(chosen);
    const QString name = info.dir().filePath(info.completeBaseName() + QStringLiteral(".mqr"));
    const QString old = q->FileName();
    try {
        setFileName(name);
        SaveLayout();
        q->SaveToFile(name);
    } catch (const std::exception& e) {
        setFileName(old);
        // The query was not written: the user must know, or a close would
        // take it for saved.
        UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
        return false;
    }
    status(TranslateFmt(QStringLiteral("Requête enregistrée sous %s"), {name}));
    addToHistory(10, name);
    AtStateChange();
    return true;
}

void TfmQueryDesigner::CloseQuery()
{
    if (SaveIfModified())
        SetQuery(nullptr);
}

void TfmQueryDesigner::RunQuery()
{
    TMxQuery* q = GetQuery();
    TDesignerSituation s;
    s.hasQuery = q;
    s.hasModel = q && q->DataModel();
    s.hasStep = CurrentStep();
    s.entityCount = m_editor->EntityCount();
    if (!ComputeDesignerStates(s).R)
        return;
    m_editor->UnbindResults();
    // Whatever the run ends with, the views show what the steps now hold.
    struct Rebind {
        TDesignerEditor& editor;
        ~Rebind() { editor.BindResults(); }
    } rebind{*m_editor};
    TEngineBusyScope busy;
    ui::RunWithProgress(this, [q](const std::function<void(const QString&)>&) { ExecuteQuery(q); });
}

void TfmQueryDesigner::showTips()
{
    if (!m_tips) {
        prepareTips();
        if (!m_tips)
            return;
    }
    const bool show = AppGlobal() && AppGlobal()->GetConfigFlag(cfShowTips);
    m_tips->Options.setFlag(ui::TBrnTips::toAutoPopup, show);
    m_tips->ShowTips();
    if (AppGlobal())
        AppGlobal()->SetConfigFlag(cfShowTips, m_tips->Options.testFlag(ui::TBrnTips::toAutoPopup));
}

int OpenDesignerAndRun(const QString& modelFile, const QString& queryFile)
{
    DesignerRegistry().CreateDesigner = [] { new TfmQueryDesigner; };
    InstallEndSignals();
    if (!modelFile.isEmpty())
        TfmQueryDesigner::CreateOnModel(modelFile);
    else
        TfmQueryDesigner::CreateFromFile(queryFile);
    const int status = DesignerCount().Count() > 0 ? QCoreApplication::exec() : 0;
    DesignerRegistry().CreateDesigner = nullptr;
    // Windows still open when the loop ended otherwise go before the
    // settings and the engine they use.
    TfmQueryDesigner::FreeAll();
    return status;
}

} // namespace mx
