#pragma once
// When the designer's commands beyond the window's own command states are
// enabled, visible and checked (the menu and popup items standing for the
// tool buttons, the step commands, the switches of the options menu), over
// the states of the window's query, its model, the current step, the
// selected field and the entities shown; and the logged-in user's rights,
// which gate what the commands do. The window gathers the facts, asks for
// the states and applies them to its actions by objectName; nothing here
// knows a widget.

#include "engine/model/modeltypes.h"

#include <QHash>
#include <QString>

namespace mx {

class TMxDataModel;
class TMxQuery;
class TMxQueryStep;
class TMxQueryField;

// Every right a user can hold.
constexpr TUserRights kAllUserRights = UserRight(urModifyDomain) | UserRight(urCreateQueries) | UserRight(urCreateViews);

// The rights of the model's logged-in user. A model without users has no
// login and restricts nothing: every right. No model: every right too
// (nothing is gated before a model is chosen).
TUserRights EffectiveRights(const TMxDataModel* model);
bool HasEffectiveRight(const TMxDataModel* model, TUserRight right);

struct TDesignerFacts {
    bool query = false;         // Q: a query is held and it has a data model
    bool modified = false;      // the query is modified
    bool step = false;          // S: the step editor has a current step
    int stepIndex = -1;         // the current step's position in the query
    int stepCount = 0;
    bool field = false;         // F: a field panel is selected
    bool calculatedField = false;
    bool entities = false;      // R: the step editor shows at least one entity
    bool printAuto = false;
    bool dumpTables = false;
    bool showHints = true;      // the application's tool-tip switch
    bool largeIcons = true;
    TUserRights rights = kAllUserRights;
};

// The facts of a query, its current step, its selected field and the
// number of entities shown; a query without a data model counts as none.
TDesignerFacts DesignerFacts(const TMxQuery* query, const TMxQueryStep* current, const TMxQueryField* selected,
    int entityCount);

struct TCommandState {
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool operator==(const TCommandState&) const = default;
};

// The states of those commands, by objectName. Names the table does not
// hold are left as the window's own rules set them.
QHash<QString, TCommandState> DesignerCommandStates(const TDesignerFacts& facts);

} // namespace mx
