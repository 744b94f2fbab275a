#include "designerstates.h"

#include "engine/model/datamodel.h"
#include "engine/model/queryfield.h"
#include "engine/model/user.h"
#include "engine/query/query.h"

#include <initializer_list>

namespace mx {

TUserRights EffectiveRights(const TMxDataModel* model)
{
    const TMxUser* user = model ? model->CurrentUser() : nullptr;
    return user ? user->Rights() : kAllUserRights;
}

bool HasEffectiveRight(const TMxDataModel* model, TUserRight right)
{
    return (EffectiveRights(model) & UserRight(right)) != 0;
}

TDesignerFacts DesignerFacts(const TMxQuery* query, const TMxQueryStep* current, const TMxQueryField* selected,
    int entityCount)
{
    TDesignerFacts f;
    f.query = query && query->DataModel();
    if (!f.query)
        return f;
    f.rights = EffectiveRights(query->DataModel());
    f.modified = query->Modified();
    f.stepCount = query->Steps()->Count();
    f.printAuto = query->OptionsPrintAuto();
    f.dumpTables = query->OptionsDumpTables();
    f.step = current != nullptr;
    if (!f.step)
        return f;
    f.stepIndex = query->Steps()->IndexOf(current);
    f.field = selected != nullptr;
    f.calculatedField = selected && selected->Calculated();
    f.entities = entityCount > 0;
    return f;
}

QHash<QString, TCommandState> DesignerCommandStates(const TDesignerFacts& x)
{
    const bool Q = x.query;
    const bool S = Q && x.step;
    QHash<QString, TCommandState> t;
    auto enable = [&t](std::initializer_list<const char*> names, bool on) {
        for (const char* n : names)
            t[QString::fromLatin1(n)].enabled = on;
    };
    // The menu and popup items that do what a tool button does follow it:
    // the parameters need a query, sort and results a current step.
    enable({"miStepParams", "pmiStepParameters"}, Q);
    enable({"miStepSort", "pmiStepSort", "miStepDest", "pmiStepDest"}, S);
    // Steps: adding needs a query, renaming a current step; the step run of
    // the menus is never enabled.
    enable({"miNewStep", "miInsertStep"}, Q);
    enable({"miStepDuplicate", "miRenameStep"}, S);
    enable({"miStepRun", "pmiStepRun"}, false);
    t[QStringLiteral("miShowHint")].checked = x.showHints;
    t[QStringLiteral("miSmallIcons")].checked = !x.largeIcons;
    t[QStringLiteral("mliWindows")].visible = false;
    return t;
}

} // namespace mx
