#pragma once
// The designer window's step, field, dialog, set and help commands: its
// actions forwarded to the commands of query/commands (which do the work
// without a widget), and the states of those actions kept with the
// window's own. Also the application's tool-tip switch of the options
// menu.

#include "query/commands/designercommands.h"

#include <QObject>

class QAbstractItemView;
class QMenu;

namespace mx {

class TfmQueryDesigner;

class TDesignerCommandLink : public QObject, public TDesignerView {
    Q_OBJECT

public:
    // Serves the window's actions and buttons (found by objectName), the
    // steps list's double click (a rename of the line's step) and the
    // favourites menu (the query's own file checked when it opens).
    TDesignerCommandLink(TfmQueryDesigner& window, QAbstractItemView* steps, QMenu* favorites);
    ~TDesignerCommandLink() override;

    // Sets the states of the actions it serves (called with the window's
    // own states).
    void ApplyStates();
    TDesignerCommands& Commands() { return m_commands; }

    // TDesignerView
    TMxQuery* DesignerQuery() const override;
    TMxQueryStep* CurrentStep() const override;
    void ShowStep(TMxQueryStep* step) override;
    TMxQueryField* SelectedField() const override;
    void UpdateSQL() override;
    void StateChanged() override;

private:
    void connectActions(QAbstractItemView* steps, QMenu* favorites);

    TfmQueryDesigner& m_window;
    TDesignerCommands m_commands;
};

// Fills the command slots with the program's dialogs: the sort dialog and
// the result options dialog of a step.
void InstallDesignerDialogs();

// Every modal dialog of the program keeps the engine busy while it is open,
// so that the local server keeps other programs' requests until it closes:
// a RUN would otherwise run the query the dialog is editing under it.
void HoldEngineWhileModal();

// The application's tool-tip switch: off, no widget shows its tool tip.
bool ShowHints();
void SetShowHints(bool on);

} // namespace mx
