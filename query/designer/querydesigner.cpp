#include "querydesigner.h"
#include "designerui.h"

#include "commandlink.h"

#include "engine/core/itemptr.h"
#include "engine/core/strings.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/settings/dlllang.h"
#include "engine/settings/global.h"
#include "engine/settings/sessionlanguage.h"
#include "engine/settings/mru.h"
#include "engine/settings/startparams.h"
#include "engine/tools/installation.h"

#include "ui/controls/brntips.h"
#include "ui/controls/docklayout.h"
#include "ui/controls/entityoutline.h"
#include "ui/services/guarded.h"
#include "ui/mrumenu/mrumenu.h"
#include "ui/controls/nrpanel.h"
#include "ui/controls/picturelistbox.h"
#include "query/editor/runprogress.h"
#include "ui/controls/splitter.h"

#include "platform/core/inifile.h"
#include "startup/startup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

namespace mx {

namespace {

const QString kOptions = QStringLiteral("Options");
const QString kAppTitle = QStringLiteral("Morvelin");

// The designer whose menus show the recent-file lists.
QPointer<TfmQueryDesigner> g_historyOwner;

} // namespace

QString InformationsText(const TMxQuery& query)
{
    return query.Informations()->toStringList().join(u'\n');
}

QString LoadedModelFile(const TMxQuery& query)
{
    const TMxDataModel* model = query.DataModel();
    const QString file = model && !model->FileName().isEmpty() ? model->FileName() : query.DmFilename();
    return file.isEmpty() ? file : QFileInfo(file).absoluteFilePath();
}

TfmQueryDesigner::TfmQueryDesigner() : m_ui(std::make_unique<TUi>())
{
    setObjectName(QStringLiteral("fmQueryDesigner"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("helpContext", 1);
    // FormCreate
    setWindowTitle(TranslateFmt(QStringLiteral("Query Module Title"), {kAppTitle}));
    buildPanels();
    buildToolBar();
    buildMenus();
    connectCommands();
    m_commandLink = new TDesignerCommandLink(*this, m_ui->plbSteps, m_ui->miFavorites);
    m_editor->OnChange = [this] { AtStateChange(); };
    m_editor->OnSQLChange = [this] { AtSqlChanged(); };
    const QString userIni = AppGlobal() ? AppGlobal()->IniFileName() : QString();
    if (ReadHideSQL(GetIniFileName(), userIni)) {
        m_ui->moSQL->hide();
        m_ui->splSQL->hide();
    }
    resize(760, 540);
    placeOnScreen();
    // Construction
    if (StartParams().Values(QStringLiteral("SRV")).toUpper() == u"TRUE")
        setWindowState(Qt::WindowMinimized);
    const bool large = AppGlobal() ? AppGlobal()->IniFile().readBool(kOptions, QStringLiteral("LargeIcons"), true) : true;
    m_largeIcons = !large;
    SetLargeIcons(large);
    DesignerCount().Increase();
    m_registration = std::make_unique<TDesignerRegistration>(this);
    AtStateChange();
    show();
    if (DesignerCount().Count() == 1) {
        if (IsQuietStart())
            showMinimized();
        else {
            prepareTips();
            // A modal window nobody can see would hold the program.
            if (AppGlobal() && AppGlobal()->GetConfigFlag(cfShowTips) && DesignerCount().OpenedEmpty && IsInteractivePlatform())
                showTips();
        }
    }
}

TfmQueryDesigner* TfmQueryDesigner::CreateFromFile(const QString& fileName)
{
    DesignerCount().OpenedEmpty = fileName.isEmpty();
    auto* window = new TfmQueryDesigner;
    if (!fileName.isEmpty()) {
        TItemPtr<TMxQuery> query(new TMxQuery(nullptr));
        try {
            query->SetInteractive(true);
            query->LoadFromFile(fileName);
            window->addToHistory(10, query->FileName());
            window->addToHistory(11, LoadedModelFile(*query));
            window->SetQuery(query.get());
            query.release();
        } catch (const std::exception& e) {
            query.reset();
            UserService().MessageDlg(ExceptionMessage(e), TMsgDlgType::mtError, mbOK);
        }
    }
    return window;
}

TfmQueryDesigner* TfmQueryDesigner::CreateOnModel(const QString& modelFile)
{
    DesignerCount().OpenedEmpty = modelFile.isEmpty();
    auto* window = new TfmQueryDesigner;
    window->NewQuery(modelFile.isEmpty() ? QString() : modelFile);
    return window;
}

void TfmQueryDesigner::FreeAll()
{
    QList<QPointer<TfmQueryDesigner>> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TfmQueryDesigner*>(w))
            open << d;
    for (const QPointer<TfmQueryDesigner>& d : open)
        delete d.data();
}

TfmQueryDesigner::~TfmQueryDesigner()
{
    m_registration.reset();
    m_destroying = true;
    // The children go after this part of the window: nothing they send
    // while they go (focus lost, editing finished) may reach it.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->removeEventFilter(this);
        child->blockSignals(true);
    }
    if (g_historyOwner == this)
        bindHistories(false);
    SetQuery(nullptr);
    if (m_model)
        m_model->Free();
    m_model = nullptr;
    m_editor.reset();
    DesignerCount().Decrease();
}

TMxQuery* TfmQueryDesigner::GetQuery() const
{
    return m_editor ? m_editor->Query() : nullptr;
}

TMxQueryStep* TfmQueryDesigner::CurrentStep() const
{
    return m_editor ? m_editor->CurrentStep() : nullptr;
}

void TfmQueryDesigner::SetQuery(TMxQuery* query)
{
    TMxQuery* previous = GetQuery();
    if (previous == query)
        return;
    m_editor->SetQuery(query);
    if (query) {
        query->SetInteractive(true);
        // The query holds the model from now on and frees it with itself.
        if (query->DataModel() == m_model)
            m_model = nullptr;
        RestoreLayout();
    }
    m_ui->moSQL->clear();
    if (previous)
        previous->Free();
    if (!m_destroying) {
        AtSqlChanged();
        AtStateChange();
    }
}

void TfmQueryDesigner::AtStateChange()
{
    if (m_destroying || m_updating)
        return;
    m_updating = true;
    try {
        TMxQuery* q = GetQuery();
        TDesignerSituation s;
        s.hasQuery = q;
        s.hasModel = q && q->DataModel();
        TMxQueryStep* step = CurrentStep();
        if (q) {
            s.modified = q->Modified();
            s.stepCount = q->Steps()->Count();
            s.hasStep = step;
            s.stepIndex = step ? q->Steps()->IndexOf(step) : -1;
            s.fieldSelected = m_editor->HasSelectedField();
            s.entityCount = m_editor->EntityCount();
            s.printAuto = q->OptionsPrintAuto();
            s.dumpTables = q->OptionsDumpTables();
        }
        applyStates(s);
        if (m_commandLink)
            m_commandLink->ApplyStates();
        const bool Q = ComputeDesignerStates(s).Q;
        if (Q) {
            if (!m_ui->edQueryName->hasFocus())
                m_ui->edQueryName->setText(q->GetName());
            if (!m_ui->edViewPrefix->hasFocus())
                m_ui->edViewPrefix->setText(q->ViewPrefix());
            if (!m_ui->moQryInfos->hasFocus())
                m_ui->moQryInfos->setPlainText(InformationsText(*q));
            if (m_ui->cobDomain->property("tag").toInt() != 1)
                fillDomains();
        } else {
            m_ui->edQueryName->clear();
            m_ui->moQryInfos->clear();
            m_ui->cobDomain->clear();
            m_ui->cobDomain->setEnabled(false);
        }
        setWindowTitle(DesignerCaption(Q, q ? q->GetCaption() : QString(), s.modified, q && q->Interactive(),
            Translate(QStringLiteral("(conception)")), kAppTitle));
    } catch (...) {
        m_updating = false;
        throw;
    }
    m_updating = false;
}

void TfmQueryDesigner::applyStates(const TDesignerSituation& s)
{
    for (const TElementState& e : DesignerElementStates(s)) {
        if (QAction* a = findChild<QAction*>(e.name)) {
            if (e.property == TElementProperty::Enabled)
                a->setEnabled(e.value);
            else if (e.property == TElementProperty::Visible)
                a->setVisible(e.value);
            else
                a->setChecked(e.value);
        } else if (QWidget* w = findChild<QWidget*>(e.name)) {
            if (e.property == TElementProperty::Enabled)
                w->setEnabled(e.value);
            else if (e.property == TElementProperty::Visible)
                w->setVisible(e.value);
            else if (auto* box = qobject_cast<QCheckBox*>(w))
                box->setChecked(e.value);
        }
    }
}

void TfmQueryDesigner::fillDomains()
{
    TMxQuery* q = GetQuery();
    const QSignalBlocker block(m_ui->cobDomain);
    m_ui->cobDomain->clear();
    TMxDataModel* model = q ? q->DataModel() : nullptr;
    if (!model || !model->AccessibleDomains())
        return;
    TMxDomainList* sets = model->AccessibleDomains();
    for (int i = 0; i < sets->Count(); ++i) {
        TMxItem* d = sets->Items(i);
        m_ui->cobDomain->addItem(d->GetName(), d->Id());
        if (d->Id() == q->DomId())
            m_ui->cobDomain->setCurrentIndex(i);
    }
}

void TfmQueryDesigner::AtSqlChanged()
{
    m_ui->moSQL->setPlainText(CurrentStep() ? m_editor->SQLText() : QString());
}

void TfmQueryDesigner::SaveLayout()
{
    TMxQuery* q = GetQuery();
    if (!q)
        return;
    TDesignerLayout l;
    l.windowState = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    const QRect bounds = normalGeometry().isValid() ? normalGeometry() : geometry();
    l.left = bounds.x();
    l.top = bounds.y();
    l.width = bounds.width();
    l.height = bounds.height();
    l.leftPane = m_ui->nrpaLeft->width();
    l.stepsHeight = m_ui->plbSteps->height();
    l.sqlHeight = m_ui->moSQL->height();
    WriteDesignerLayout(*q->PositionStrings(), l);
}

void TfmQueryDesigner::RestoreLayout()
{
    TMxQuery* q = GetQuery();
    if (!q)
        return;
    const TDesignerLayout l = ReadDesignerLayout(*q->PositionStrings());
    m_ui->nrpaBottom->hide();
    if (l.sqlHeight)
        ui::TDockLayout::Of(m_ui->moSQL->parentWidget())->SetExtent(m_ui->moSQL, *l.sqlHeight);
    m_ui->nrpaBottom->show();
    if (l.windowState) {
        const int st = *l.windowState;
        setWindowState(st == 2 ? Qt::WindowMaximized : st == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
    }
    if (!isMaximized()) {
        QRect r = geometry();
        r = QRect(l.left.value_or(r.x()), l.top.value_or(r.y()), l.width.value_or(r.width()), l.height.value_or(r.height()));
        if (const QScreen* scr = screen())
            r = FitOnScreen(r, scr->availableGeometry());
        setGeometry(r);
    }
    if (l.leftPane)
        ui::TDockLayout::Of(m_ui->nrpaLeft->parentWidget())->SetExtent(m_ui->nrpaLeft, *l.leftPane);
    if (l.stepsHeight)
        ui::TDockLayout::Of(m_ui->plbSteps->parentWidget())->SetExtent(m_ui->plbSteps, *l.stepsHeight);
}

void TfmQueryDesigner::placeOnScreen()
{
    const QScreen* scr = screen();
    if (!scr)
        return;
    // Wholly on the screen, its title bar too: centred, or a little below
    // and right of the designer it was opened from.
    const QRect available = scr->availableGeometry().adjusted(0, style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    QRect r(QPoint(), size());
    QWidget* from = QApplication::activeWindow();
    if (qobject_cast<TfmQueryDesigner*>(from) && from != this && from->isVisible())
        r.moveTopLeft(from->geometry().topLeft() + QPoint(24, 24));
    else
        r.moveCenter(available.center());
    setGeometry(FitOnScreen(r, available));
}

void TfmQueryDesigner::closeEvent(QCloseEvent* event)
{
    Guard(this, [&] {
        // Nothing is dropped under a running query.
        if (ui::RunInProgress()) {
            event->ignore();
            return;
        }
        if (!m_closing && !SaveIfModified()) {
            event->ignore();
            return;
        }
        m_closing = true;
        // FormClose
        SetQuery(nullptr);
        if (g_historyOwner == this)
            bindHistories(false);
        if (AppGlobal())
            AppGlobal()->IniFile().writeBool(kOptions, QStringLiteral("LargeIcons"), m_largeIcons);
        event->accept();
    });
}

void TfmQueryDesigner::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guard(this, [&] { bindHistories(true); });
    QMainWindow::changeEvent(event);
}

bool TfmQueryDesigner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->moQryInfos && event->type() == QEvent::FocusOut)
        Guard(this, [&] { writeBackProperties(); });
    if (event->type() == QEvent::Resize) {
        if (watched == m_ui->nrpaBoard)
            layoutBoard();
        else if (watched == m_ui->nrpaQueryProp)
            layoutQueryProp();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmQueryDesigner::bindHistories(bool bind)
{
    if (!AppGlobal())
        return;
    if (bind) {
        g_historyOwner = this;
        AppGlobal()->SetStatusControl(m_ui->paMiddle);
        ui::BindMRUMenu(AppGlobal()->History(10), m_ui->miFavorites, [this](const QString& f) { OpenQuery(f); });
        ui::BindMRUMenu(AppGlobal()->History(11), m_ui->miSelectDm, [this](const QString& f) { NewQuery(f); });
    } else {
        g_historyOwner = nullptr;
        if (AppGlobal()->StatusControl() == m_ui->paMiddle)
            AppGlobal()->SetStatusControl(nullptr);
        ui::BindMRUMenu(AppGlobal()->History(10), nullptr, nullptr);
        ui::BindMRUMenu(AppGlobal()->History(11), nullptr, nullptr);
    }
}

void TfmQueryDesigner::addToHistory(int list, const QString& fileName)
{
    if (!AppGlobal() || fileName.isEmpty())
        return;
    TMRU* history = AppGlobal()->History(list);
    // An entry of the bare name alone (kept by an earlier version) opens
    // nothing wherever the program runs: the full path replaces it.
    const QFileInfo added(fileName);
    if (added.isAbsolute())
        for (int i = history->Count() - 1; i >= 0; --i) {
            const QString entry = history->Items().value(i);
            if (!entry.contains(u'/') && !entry.contains(u'\\') && entry.compare(added.fileName(), Qt::CaseInsensitive) == 0)
                history->Delete(i);
        }
    history->AddFile(fileName);
}

void TfmQueryDesigner::prepareTips()
{
    if (!AppGlobal())
        return;
    m_tips = new ui::TBrnTips(this);
    m_tips->setObjectName(QStringLiteral("Tips"));
    m_tips->IniFileName = GetIniFileName();
    m_tips->Title = TranslateFmt(QStringLiteral("Bienvenue dans le concepteur de requêtes !"), {kAppTitle});
    m_tips->SectionName = TipsSectionName(*AppGlobal(), QStringLiteral("designer"));
    m_tips->Options = ui::TBrnTips::toCanChangeAutoPopup;
    m_tips->Loaded();
}

void TfmQueryDesigner::RunDesignerQuery()
{
    RunQuery();
}

void TfmQueryDesigner::ShowDesigner()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

} // namespace mx
