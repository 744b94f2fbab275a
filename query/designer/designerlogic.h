#pragma once
// The rules of the designer window that need no widget: which commands are
// enabled or shown for a given state of the query, the caption, the tool
// bar's geometry, the layout the window stores in its query, the settings
// it reads, the save question and the count of open designers. The window
// (querydesigner.h) only applies what these compute. QtCore only.

#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

namespace mx {

class TStrings;

// What the window holds when it recomputes its commands.
struct TDesignerSituation {
    bool hasQuery = false;      // a query is held...
    bool hasModel = false;      // ...and it has its data model
    bool modified = false;      // the query is modified
    bool hasStep = false;       // the query editor has a current step
    int stepIndex = -1;         // its index in the query
    int stepCount = 0;          // the query's steps
    bool fieldSelected = false; // the step editor has a selected field panel
    int entityCount = 0;        // entities shown by the step editor
    bool printAuto = false;     // the query's options
    bool dumpTables = false;
};

// The five states, and what follows from them.
struct TDesignerStates {
    bool Q = false; // a query with a data model
    bool M = false; // Q and modified
    bool S = false; // Q and a current step
    bool F = false; // S and a selected field
    bool R = false; // S and at least one entity
    bool domainEnabled = false; // the set can still change: one step, no entity
};

TDesignerStates ComputeDesignerStates(const TDesignerSituation& s);

// One property of one named element of the window.
enum class TElementProperty { Enabled, Visible, Checked };
struct TElementState {
    QString name; // the element's objectName
    TElementProperty property;
    bool value;
};

// Every element whose state the window sets, with its value.
QList<TElementState> DesignerElementStates(const TDesignerSituation& s);

// The window's caption: with a query (Q), its caption, "*" when modified,
// " " and the translated "(conception)" when interactive, " - " when that
// text is not empty; then the application's title. Without a query, the
// title alone.
QString DesignerCaption(bool hasQuery, const QString& queryCaption, bool modified, bool interactive,
    const QString& conception, const QString& appTitle);

// ---- the tool bar -------------------------------------------------------

struct TButtonMetrics {
    int margin;
    int size;
};
// Row 0 small buttons, row 1 large.
inline constexpr TButtonMetrics kButtonMetrics[2] = {{4, 34}, {8, 50}};

// The buttons in their order on the bar.
inline constexpr const char* kToolButtons[] = {"fbNewQuery", "fbOpenQuery", "fbRun", "fbParams", "fbStepFilter",
    "fbCalcFields", "fbSort", "fbDest", "fbAbout"};
inline constexpr int kToolButtonCount = 9;

struct TToolBarLayout {
    int height = 0;         // size + 2 x margin
    QList<QRect> buttons;   // in kToolButtons order
    int aboutLeft = 0;      // the About button never goes left of it
};

// Buttons from x = 8, each size + margin wide and size high at y = margin,
// 8 pixels between the groups New, Open | Run | Params..Dest |; then About.
TToolBarLayout LayoutToolBar(bool large);
// The About button's left edge on a bar of the given client width.
int AboutButtonLeft(int clientWidth, int aboutWidth, int aboutLeft);
// A tool bar hint "short|*long": the tool tip is the short part; the
// caption with large buttons the long part without its first character,
// with small buttons none.
QString ToolButtonToolTip(const QString& hint);
QString ToolButtonCaption(const QString& hint, bool large);

// ---- the layout stored in the query -------------------------------------

struct TDesignerLayout {
    std::optional<int> windowState; // 0 normal, 1 minimised, 2 maximised
    std::optional<int> left, top, width, height;
    std::optional<int> leftPane;    // nrpaLeft's width
    std::optional<int> stepsHeight; // plbSteps' height
    std::optional<int> sqlHeight;   // moSQL's height
};

// Clears the lines and writes the layout: WindowState, the bounds unless
// maximised, nrpaLeft, plbSteps, moSQL (decimal integers).
void WriteDesignerLayout(TStrings& lines, const TDesignerLayout& layout);
// What the lines hold; a value missing or not a number stays unset.
TDesignerLayout ReadDesignerLayout(const TStrings& lines);
// Bounds moved and shrunk so that they lie inside the available screen
// area (a query saved on a larger screen opens on this one).
QRect FitOnScreen(const QRect& bounds, const QRect& available);

// ---- settings -----------------------------------------------------------

// HideSQL in section Options: the installation's file first, then the
// user's (either may be missing: empty name); hidden when either holds 1.
bool ReadHideSQL(const QString& installationIni, const QString& userIni);

// ---- the save question --------------------------------------------------

// The outcome of the question asked before a query is dropped.
enum class TSaveOutcome {
    Proceed, // nothing to save, saved, or the user chose No
    Keep,    // Cancel, or Yes and the save did not happen: keep everything
};
// modified: the query needs the question; ask: shows it once and returns
// mrYes, mrNo or mrCancel; save: the Save command (true when saved). The
// question is asked at most once.
TSaveOutcome DecideSaveIfModified(bool modified, const std::function<int()>& ask, const std::function<bool()>& save);

// ---- the open designers -------------------------------------------------

// The number of live designer windows of the process, and what ends the
// process when the last one goes (QCoreApplication::quit unless replaced).
class TDesignerCount {
public:
    int Count() const { return m_count; }
    void Increase() { ++m_count; }
    // Decreases the count; at 0 or less calls Quit (once per reaching 0).
    void Decrease();
    std::function<void()> Quit;
    // The last designer was opened with no file name.
    bool OpenedEmpty = false;

private:
    int m_count = 0;
};

TDesignerCount& DesignerCount();

} // namespace mx
