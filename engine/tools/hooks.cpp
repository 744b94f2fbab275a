#include "hooks.h"

#include "installation.h"

namespace mx {

THookSlot<bool(TMxQuery*, int, TMxDataModel*, TMxQueryField*)> FieldFormulaHook;
THookSlot<bool(TMxQuery*, int, TMxQueryField*)> FieldFilterHook;
THookSlot<bool(TMxFormulaList*, TMxDataModel*)> EntityCriteriaHook;
THookSlot<bool(TMxFormulaList*, TMxDataModel*)> SetCriteriaHook;
THookSlot<bool(TMxQueryStep*)> StepCriteriaHook;
THookSlot<void(const QString&, TMxDataModel*, TMxParamControlList*, TMxParamList*)> ParamsEditorHook;
THookSlot<void(QObject*, TMxDataModel*)> ParamControlEditorHook;
THookSlot<void(TMxDataModel*, const QString&, bool&, TStrings*, TMxParamControlList*, bool)> ParamsPrompterHook;
THookSlot<bool(QString&, int&, const QStringList&)> ParamTypeEditorHook;
THookSlot<bool(const QString&, QString&, QString&)> LoginPromptHook;
THookSlot<bool(const QString&, const QString&, TStrings*, int, QString&, const QString&, const QString&)> PromptStringHook;
THookSlot<bool(const QString&, const QString&, QString&)> PromptStringSimpleHook;

// Filled here, at start, as the tools' own initialisation does.
THookSlot<void(QString&)> IniFileNameHook = [] {
    THookSlot<void(QString&)> h;
    h.set([](QString& fileName) { fileName = GetIniFileName(); });
    return h;
}();

} // namespace mx
