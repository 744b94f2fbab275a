#include "commandlink.h"

#include "querydesigner.h"

#include "query/commands/designerhelp.h"
#include "query/commands/designerstates.h"
#include "query/dialogs/fmextdest.h"
#include "query/dialogs/fmsortfields.h"
#include "query/server/enginebusy.h"
#include "ui/services/guarded.h"
#include "ui/mrumenu/mrumenu.h"
#include "ui/controls/observedlistmodel.h"
#include "ui/controls/picturelistbox.h"
#include "query/editor/stepeditor.h"
#include "query/editor/vpanels.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/settings/global.h"
#include "ui/services/modalrunner.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QToolButton>

#include <memory>

namespace mx {

namespace {

// Swallows tool-tip events while hints are off.
class TToolTipSwitch : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::ToolTip; }
};

QPointer<TToolTipSwitch> g_tipSwitch;

// The hints of the help menu's items: the manual's name and the maker's
// addresses, as the items carry them.
struct TAddressItem {
    const char* name;
    QString (*address)();
};
const TAddressItem kAddressItems[] = {
    {"Assistanceutilisateur1", MakerSupportAddress},
    {"miJumptoBrenwick", MakerHomePage},
    {"miJumptoMV", ProductHomePage},
    {"miJumptoProducts", MakerProductsPage},
};
const char* const kManualHint = "*Morv";

QAction* actionOf(const QObject& window, const char* name)
{
    return window.findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

void InstallDesignerDialogs()
{
    StepSortHook.set(EditSort);
    StepDestinationsHook.set(EditDestinations);
}

void HoldEngineWhileModal()
{
    ui::SetModalHold([] { return std::make_shared<TEngineBusyScope>(); });
}

bool ShowHints()
{
    return !g_tipSwitch;
}

void SetShowHints(bool on)
{
    if (on == ShowHints() || !qApp)
        return;
    if (on) {
        delete g_tipSwitch.data();
    } else {
        g_tipSwitch = new TToolTipSwitch(qApp);
        qApp->installEventFilter(g_tipSwitch);
    }
}

TDesignerCommandLink::TDesignerCommandLink(TfmQueryDesigner& window, QAbstractItemView* steps, QMenu* favorites)
    : QObject(&window), m_window(window), m_commands(*this)
{
    connectActions(steps, favorites);
}

TDesignerCommandLink::~TDesignerCommandLink() = default;

void TDesignerCommandLink::connectActions(QAbstractItemView* steps, QMenu* favorites)
{
    TfmQueryDesigner& w = m_window;
    const auto on = [&](std::initializer_list<const char*> names, auto fn) {
        for (const char* name : names)
            if (QAction* a = actionOf(w, name))
                ui::Connect(a, &QAction::triggered, this, fn);
    };
    const auto button = [&](const char* name, auto fn) {
        if (auto* b = w.findChild<QToolButton*>(QString::fromLatin1(name)))
            ui::Connect(b, &QToolButton::clicked, this, fn);
    };
    // Steps
    on({"miNewStep", "miInsertStep"}, [this] { m_commands.NewStep(); });
    on({"miStepDuplicate", "miRenameStep"}, [this] { m_commands.RenameStep(); });
    on({"miStepDelete", "miDeleteStep"}, [this] { m_commands.DeleteStep(); });
    if (steps)
        ui::Connect(steps, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& line) {
            // The step renamed is the line's own, shown first.
            // A line holds its step's Id.
            const QVariant id = line.data(ui::TObservedListModel::IdRole);
            if (TMxQuery* query = m_window.GetQuery(); query && id.isValid())
                if (TMxQueryStep* step = query->Steps()->FindById(id.toInt()))
                    m_window.Editor().SetStep(step);
            m_commands.RenameStep();
        });
    // The step's dialogs
    on({"miStepParams", "pmiStepParameters"}, [this] { m_commands.EditParams(); });
    button("fbParams", [this] { m_commands.EditParams(); });
    on({"miStepSort", "pmiStepSort"}, [this] { m_commands.EditSort(); });
    button("fbSort", [this] { m_commands.EditSort(); });
    on({"miStepDest", "pmiStepDest"}, [this] { m_commands.EditDestinations(); });
    button("fbDest", [this] { m_commands.EditDestinations(); });
    button("fbStepFilter", [this] { m_commands.EditStepFilter(); });
    // Fields
    button("fbCalcFields", [this] { m_commands.AddCalculatedField(); });
    on({"miFieldDelete"}, [this] { m_commands.DeleteSelectedField(); });
    // The step editor's field panels: a rename asks for the name, a
    // formula button opens the formula or the filter of its field.
    if (auto* editor = qobject_cast<ui::TMxStepEditor*>(w.Editor().StepEditor())) {
        editor->OnFieldRename = [this](QObject*, QString& name) { m_commands.RenameField(name); };
        editor->OnFormulaChange = [this](ui::TVField* field) {
            m_commands.EditFieldFormula(field ? field->Field() : nullptr);
        };
    }
    // Opening the favourites checks the entry of the query's own file
    // (names compared exactly).
    if (favorites)
        ui::Connect(favorites, &QMenu::aboutToShow, this, [this, favorites] {
            TMxQuery* q = m_window.GetQuery();
            const QString current = q ? q->FileName() : QString();
            for (QAction* a : favorites->actions()) {
                if (!a->property(ui::kMRUEntryProperty).toBool())
                    continue;
                a->setCheckable(true);
                a->setChecked(!current.isEmpty() && a->data().toString() == current);
            }
        });
    // Options and help
    on({"miGeneralOptions"}, [] { ShowGeneralOptions(); });
    on({"miShowHint"}, [this] {
        SetShowHints(!ShowHints());
        ApplyStates();
    });
    on({"miMainHelp"}, [] { ShowHelpContents(); });
    on({"Aide1"}, [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(&m_window);
    });
    if (QAction* a = actionOf(w, "miUserManual")) {
        a->setStatusTip(QString::fromLatin1(kManualHint));
        ui::Connect(a, &QAction::triggered, this, [] { OpenUserManual(QString::fromLatin1(kManualHint)); });
    }
    for (const TAddressItem& item : kAddressItems) {
        if (QAction* a = actionOf(w, item.name)) {
            a->setStatusTip(item.address());
            ui::Connect(a, &QAction::triggered, this, [a] { OpenAddress(a->statusTip()); });
        }
    }
    on({"miAbout"}, [] { ShowAbout(); });
    button("fbAbout", [] { ShowAbout(); });
}

void TDesignerCommandLink::ApplyStates()
{
    TMxQuery* q = m_window.GetQuery();
    TMxQueryStep* step = m_window.CurrentStep();
    TDesignerFacts facts = DesignerFacts(q, step, SelectedField(), m_window.Editor().EntityCount());
    facts.showHints = ShowHints();
    facts.largeIcons = m_window.LargeIcons();
    const auto states = DesignerCommandStates(facts);
    for (auto it = states.begin(); it != states.end(); ++it) {
        if (QAction* a = m_window.findChild<QAction*>(it.key())) {
            a->setEnabled(it->enabled);
            a->setVisible(it->visible);
            if (a->isCheckable())
                a->setChecked(it->checked);
        } else if (QWidget* widget = m_window.findChild<QWidget*>(it.key())) {
            widget->setEnabled(it->enabled);
        }
    }
    if (QAction* a = actionOf(m_window, "miGeneralOptions"))
        a->setEnabled(bool(OptionsDialogHook));
}

TMxQuery* TDesignerCommandLink::DesignerQuery() const
{
    return m_window.GetQuery();
}

TMxQueryStep* TDesignerCommandLink::CurrentStep() const
{
    return m_window.CurrentStep();
}

void TDesignerCommandLink::ShowStep(TMxQueryStep* step)
{
    // The editor keeps the query: only the step shown changes.
    m_window.Editor().SetStep(step);
}

TMxQueryField* TDesignerCommandLink::SelectedField() const
{
    return m_window.Editor().SelectedQueryField();
}

void TDesignerCommandLink::UpdateSQL()
{
    m_window.Editor().UpdateSQL();
}

void TDesignerCommandLink::StateChanged()
{
    // The editor shows the steps and SQL again, then the window its states.
    m_window.Editor().Changed();
}

} // namespace mx

#include "commandlink.moc"
