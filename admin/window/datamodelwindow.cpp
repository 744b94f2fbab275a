#include "datamodelwindow.h"
#include "datamodelui.h"

#include "admin/diagram/graph.h"
#include "admin/diagram/fmprintpreview.h"

#include "engine/admin/adminhelpers.h"
#include "engine/core/exceptions.h"
#include "engine/core/translate.h"
#include "engine/model/datamodel.h"
#include "engine/model/database.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/settings/dlllang.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"
#include "engine/tools/installation.h"

#include "query/commands/designerhelp.h"

#include "ui/controls/brntips.h"
#include "ui/controls/docklayout.h"
#include "ui/services/guarded.h"
#include "ui/services/hints.h"
#include "ui/controls/itemobserver.h"
#include "ui/controls/nrpanel.h"
#include "ui/mrumenu/mrumenu.h"
#include "ui/controls/splitter.h"

#include "startup/startup.h"

#include "admin/dialogs/adminhooks.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGraphicsView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QToolButton>

namespace mx::admin {

namespace {

const QString kTitle = QStringLiteral("Morvelin Administration");

// The addresses of the program's and the products' pages, in the user's
// language ("%s": the language code).
const QString kMorvelinPagePattern = QStringLiteral("https://www.morvelin.org/%s/");
const QString kProductsPagePattern = QStringLiteral("https://www.brenwick.example/produits/%s/");

// The window whose menu shows the recent models and whose status bar the
// settings object writes into.
QPointer<TfmDataModel> g_active;

// The gauge of the window's status bar as the administration operations
// see it.
class TGaugeProgress : public TProgressService {
public:
    explicit TGaugeProgress(QProgressBar* gauge) : m_gauge(gauge) {}
    void Start(int maximum) override
    {
        TProgressService::Start(maximum);
        if (m_gauge) {
            m_gauge->setRange(0, std::max(maximum, 1));
            m_gauge->setValue(0);
            m_gauge->show();
        }
    }
    void Step() override
    {
        TProgressService::Step();
        if (m_gauge)
            m_gauge->setValue(std::min(Position(), m_gauge->maximum()));
    }
    void End() override
    {
        TProgressService::End();
        if (m_gauge)
            m_gauge->hide();
    }

private:
    QPointer<QProgressBar> m_gauge;
};

} // namespace

TfmDataModel::TfmDataModel() : m_ui(std::make_unique<TUi>())
{
    setObjectName(QStringLiteral("fmDataModel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("helpContext", 98);
    setWindowTitle(kTitle);
    buildPanels();
    buildToolBar();
    buildMenus();
    connectCommands();
    m_progress = std::make_unique<TGaugeProgress>(m_ui->gaProgress);
    m_modelWatch = new ui::TItemObserver(this);
    ui::Connect(m_modelWatch, &ui::TItemObserver::changed, this, [this] { AtStateChange(); });
    resize(760, 540);
    m_aboutLeft = 0;
    SetLargeIcons(true);
    const int count = DataModelWindows().Increase();
    AtStateChange();
    show();
    // A modal window nobody can see would hold the program.
    if (count == 1 && AppGlobal() && AppGlobal()->GetConfigFlag(cfShowTips) && IsInteractivePlatform()) {
        prepareTips();
        ShowTips();
    }
}

TfmDataModel::~TfmDataModel()
{
    m_destroying = true;
    for (QWidget* child : findChildren<QWidget*>())
        child->removeEventFilter(this);
    bindToSettings(false);
    // The diagram lets every panel go, then frees the model.
    m_modelWatch->Release(false);
    m_graph->SetModel(nullptr);
    // The view goes with the window's children: the diagram lets it go
    // first, so that nothing it filters reaches it half destroyed.
    m_graph->SetDisplay(nullptr);
    DataModelWindows().Decrease();
}

TMxDataModel* TfmDataModel::Model() const
{
    return m_graph->Model();
}

void TfmDataModel::SetModel(TMxDataModel* model)
{
    if (model == Model())
        return;
    if (model) {
        const int state = model->WindowState();
        setWindowState(state == 2 ? Qt::WindowMaximized : state == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
        if (!isMaximized() && !isMinimized()) {
            const QSize client = m_client->size();
            const QSize frame = size() - client;
            const int w = model->DesignW() ? model->DesignW() : client.width();
            const int h = model->DesignH() ? model->DesignH() : client.height();
            resize(QSize(w, h) + frame);
        }
    }
    m_modelWatch->Release(false);
    m_graph->SetModel(model);
    if (model)
        m_modelWatch->Observe(model);
    AtStateChange();
}

TMxTable* TfmDataModel::SelectedTable() const
{
    TGraphTable* panel = m_graph->Selected();
    return panel ? panel->Table() : nullptr;
}

void TfmDataModel::AtStateChange()
{
    if (m_destroying)
        return;
    TMxDataModel* m = Model();
    TModelSituation s;
    s.model = m;
    if (m) {
        s.tables = m->Tables()->Count() > 0;
        s.databases = m->Databases()->Count() > 0;
        s.modified = m->Modified();
    }
    for (const TCommandState& e : DataModelCommandStates(s)) {
        if (QAction* a = action(e.name))
            a->setEnabled(e.enabled);
        else if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(e.name)))
            w->setEnabled(e.enabled);
    }
    setWindowTitle(DataModelCaption(m, m ? m->FileName() : QString(), s.modified, Translate(QStringLiteral("sans nom")), kTitle));
}

void TfmDataModel::closeEvent(QCloseEvent* event)
{
    Guard(this, [&] {
        if (!m_closing) {
            bool go = false;
            try {
                go = CanCloseModel();
            } catch (const EAbort&) {
                go = false;
            }
            // A refused or failed save keeps the window and its model: the
            // question is not asked twice.
            if (!go) {
                event->ignore();
                return;
            }
        }
        m_closing = true;
        bindToSettings(false);
        event->accept();
    });
}

void TfmDataModel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guard(this, [&] { bindToSettings(true); });
    QMainWindow::changeEvent(event);
}

bool TfmDataModel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == static_cast<QObject*>(m_ui->nrpaBoard) && event->type() == QEvent::Resize)
        layoutBoard();
    return QMainWindow::eventFilter(watched, event);
}

void TfmDataModel::bindToSettings(bool bind)
{
    if (bind) {
        // The hints of the pages in the user's language, each formatted
        // from its own pattern (an address may hold a "%").
        action("miJumptoMV")->setStatusTip(FormatLangCode(kMorvelinPagePattern));
        action("miJumptoProducts")->setStatusTip(FormatLangCode(kProductsPagePattern));
        if (!m_progressInstalled) {
            if (g_active && g_active != this)
                g_active->bindToSettings(false);
            m_formerProgress = SetProgressService(m_progress.get());
            m_progressInstalled = true;
        }
        g_active = this;
        if (AppGlobal()) {
            AppGlobal()->SetStatusControl(m_ui->paMiddle);
            ui::BindMRUMenu(AppGlobal()->History(11), m_ui->miFavorites, [this](const QString& f) { OpenModel(f, false); });
        }
        return;
    }
    if (m_progressInstalled) {
        SetProgressService(m_formerProgress);
        m_formerProgress = nullptr;
        m_progressInstalled = false;
    }
    if (g_active == this) {
        g_active = nullptr;
        if (AppGlobal()) {
            if (AppGlobal()->StatusControl() == m_ui->paMiddle)
                AppGlobal()->SetStatusControl(nullptr);
            ui::BindMRUMenu(AppGlobal()->History(11), nullptr, nullptr);
        }
    }
}

void TfmDataModel::addToHistory(const QString& fileName)
{
    if (AppGlobal() && !fileName.isEmpty())
        AppGlobal()->History(11)->AddFile(fileName);
}

void TfmDataModel::prepareTips()
{
    if (m_tips)
        return;
    m_tips = new ui::TBrnTips(this);
    m_tips->setObjectName(QStringLiteral("Tips"));
    m_tips->IniFileName = GetIniFileName();
    m_tips->Title = Translate(QStringLiteral("Bienvenue dans Administration !"));
    const QString language = AppGlobal() && AppGlobal()->Lang() ? AppGlobal()->Lang()->Language() : QString();
    m_tips->SectionName = QStringLiteral("Tips.adm.") + (language.isEmpty() ? QStringLiteral("Francais") : language);
    m_tips->Options = ui::TBrnTips::toCanChangeAutoPopup;
    m_tips->Loaded();
}

void TfmDataModel::ShowTips()
{
    prepareTips();
    const bool show = AppGlobal() && AppGlobal()->GetConfigFlag(cfShowTips);
    m_tips->Options.setFlag(ui::TBrnTips::toAutoPopup, show);
    m_tips->ShowTips();
    if (AppGlobal())
        AppGlobal()->SetConfigFlag(cfShowTips, m_tips->Options.testFlag(ui::TBrnTips::toAutoPopup));
}

void TfmDataModel::openManual(const QString& hint)
{
    OpenUserManual(hint);
}

void TfmDataModel::onTablePopup()
{
    TMxTable* table = SelectedTable();
    action("miTableName")->setText(table ? table->Name() : QString());
    const bool link = m_graph->SelectedLink();
    action("miUnlinkTable")->setEnabled(link);
    action("miLinkTable")->setEnabled(link);
    for (const char* name : {"miTableProps", "miTableEntities", "miAnalyseTable", "miRemoveTable"})
        action(name)->setEnabled(table);
}

void TfmDataModel::connectCommands()
{
    const auto on = [this](const char* name, auto fn) {
        ui::Connect(action(name), &QAction::triggered, this, std::move(fn));
    };
    const auto button = [this](int index, auto fn) { ui::Connect(m_ui->buttons[index], &QToolButton::clicked, this, std::move(fn)); };
    const auto preview = [this](int mode) {
        m_ui->sbx->horizontalScrollBar()->setValue(0);
        m_ui->sbx->verticalScrollBar()->setValue(0);
        ShowPrintPreview(m_graph, mode);
    };
    on("miNewWindow", [] { new TfmDataModel; });
    on("miNew", [this] { OpenModel(QString(), true); });
    on("miOpen", [this] { OpenFile(); });
    on("miSave", [this] { SaveModel(); });
    on("miSaveAs", [this] { SaveModelAs(); });
    on("miPrintPreview", [preview] { preview(0); });
    on("miPrint", [preview] { preview(1); });
    on("miPrintConfig", [preview] { preview(2); });
    on("miClose", [this] { CloseModel(); });
    on("miExit", [this] { close(); });
    on("miTables", [this] { EditTables(SelectedTable()); });
    on("miEntities", [this] { EditEntities(SelectedTable()); });
    on("miDatabases", [this] { EditDatabases(); });
    on("miRights", [this] { EditRights(); });
    on("miSets", [this] { EditSets(); });
    on("miAddTable", [this] { AddTables(); });
    on("miFindTable", [this] { FindTable(); });
    on("miUnlinkAll", [this] { UnlinkAll(); });
    on("miReverse", [this] { AutoLink(true); });
    on("miVerify", [this] { AnalyseAllTables(); });
    on("miReport", [this] { ShowReport(Translate(QStringLiteral("Rapport"))); });
    on("miGeneralOptions", [] { ShowGeneralOptions(); });
    on("miSysParams", [] { EditConfiguration(); });
    on("miShowHint", [this] {
        // Tool tips follow the check mark through the application's
        // attribute the tool buttons read.
        const bool show = action("miShowHint")->isChecked();
        for (QToolButton* b : m_ui->buttons)
            b->setToolTip(show ? ui::GetShortHint(b->property("hint").toString()) : QString());
    });
    on("miSmallIcons", [this] { SetLargeIcons(!action("miSmallIcons")->isChecked()); });
    on("miHelpIndex", [] { ShowHelpContents(); });
    on("A1", [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(this);
    });
    on("miTips", [this] { ShowTips(); });
    on("miAdminManual", [this] { openManual(action("miAdminManual")->property("hint").toString()); });
    on("miUserManual", [this] { openManual(action("miUserManual")->property("hint").toString()); });
    on("miJumptoCustomerSupport", [] { OpenAddress(MakerSupportAddress()); });
    on("miJumptoBrenwick", [] { OpenAddress(MakerHomePage()); });
    on("miJumptoMV", [] { OpenAddress(FormatLangCode(kMorvelinPagePattern)); });
    on("miJumptoProducts", [] { OpenAddress(FormatLangCode(kProductsPagePattern)); });
    on("miAbout", [] { ShowAbout(); });

    button(0, [this] { OpenModel(QString(), true); });
    button(1, [this] { OpenFile(); });
    button(2, [this] { EditTables(SelectedTable()); });
    button(3, [this] { EditEntities(SelectedTable()); });
    button(4, [this] { EditDatabases(); });
    button(5, [this] { EditRights(); });
    button(6, [this] { EditSets(); });
    button(7, [this] { AnalyseAllTables(); });
    button(8, [this] { ShowReport(Translate(QStringLiteral("Rapport"))); });
    button(9, [] { ShowAbout(); });

    ui::Connect(m_ui->pmTable, &QMenu::aboutToShow, this, [this] { onTablePopup(); });
    on("miTableProps", [this] { EditTables(SelectedTable()); });
    on("miTableEntities", [this] { EditEntities(SelectedTable()); });
    on("miUnlinkTable", [this] {
        if (TGraphLink* link = m_graph->SelectedLink()) {
            TMxLink* l = link->Link();
            m_graph->SetSelectedLink(nullptr);
            if (l) {
                l->Free();
                Model()->MarkModified();
            }
        }
    });
    on("miLinkTable", [this] {
        TGraphTable* panel = m_graph->Selected();
        if (panel && panel->MasterLink() && LinkEditor && LinkEditor(panel->MasterLink()))
            Model()->MarkModified();
    });
    on("miAnalyseTable", [this] { AnalyseSelectedTable(); });
    on("miRemoveTable", [this] { RemoveTable(SelectedTable()); });

    ui::Connect(m_graph, &TGraph::resynced, this, [this] { AtStateChange(); });
    ui::Connect(m_ui->Splitter1, &ui::TMxSplitter::OnMarqueeChange, this, [this] { SetLargeIcons(m_ui->Splitter1->MarqueeIndex() == 1); });
}

} // namespace mx::admin
