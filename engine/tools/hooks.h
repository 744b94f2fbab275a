#pragma once
// The slots through which the engine and the shared units reach the
// dialogs of the user-interface units. Each dialog unit fills its slots
// when it starts; an empty slot means the feature is absent from the
// program (the administration program has no parameter editor and no
// prompter). The arguments are those of the dialog routine that fills the
// slot.

#include "engine/core/hookslot.h"

#include <QString>
#include <QStringList>

class QObject;

namespace mx {

class TMxQuery;
class TMxQueryStep;
class TMxQueryField;
class TMxDataModel;
class TMxFormulaList;
class TMxParamControlList;
class TMxParamList;
class TStrings;

// Formula editor: the formula of a query field (query, step number, data
// model, field), the filter of a query field (query, step number, field),
// an entity's or a set's criterion (token list, data model), a step's
// criterion. True on OK.
extern THookSlot<bool(TMxQuery* query, int step, TMxDataModel* model, TMxQueryField* field)> FieldFormulaHook;
extern THookSlot<bool(TMxQuery* query, int step, TMxQueryField* field)> FieldFilterHook;
extern THookSlot<bool(TMxFormulaList* criteria, TMxDataModel* model)> EntityCriteriaHook;
extern THookSlot<bool(TMxFormulaList* criteria, TMxDataModel* model)> SetCriteriaHook;
extern THookSlot<bool(TMxQueryStep* step)> StepCriteriaHook;

// Parameter editor: caption, data model, the query's parameter controls and
// parameters (changed only when the user confirms).
extern THookSlot<void(const QString& caption, TMxDataModel* model, TMxParamControlList* controls, TMxParamList* params)> ParamsEditorHook;
// Control properties: the design shape of a control (a widget of the dialog
// builder) and the data model.
extern THookSlot<void(QObject* shape, TMxDataModel* model)> ParamControlEditorHook;
// Parameter prompter: data model, caption, the answer (OK), a string list
// passed through, the parameter controls, the test flag.
extern THookSlot<void(TMxDataModel* model, const QString& caption, bool& ok, TStrings* list, TMxParamControlList* controls, bool test)> ParamsPrompterHook;
// Parameter type: name and type index (in-out), the type names; True on OK.
extern THookSlot<bool(QString& name, int& typeIndex, const QStringList& typeNames)> ParamTypeEditorHook;

// Login: caption, user name and password (in-out); True on OK.
extern THookSlot<bool(const QString& caption, QString& user, QString& password)> LoginPromptHook;
// Prompt: caption, prompt, a history list or none, maximum length, value
// (in-out), an unused text, kind ("A", "D", "N"); True on OK.
extern THookSlot<bool(const QString& caption, const QString& prompt, TStrings* list, int maxLength, QString& value,
    const QString& unused, const QString& kind)> PromptStringHook;
extern THookSlot<bool(const QString& caption, const QString& prompt, QString& value)> PromptStringSimpleHook;

// The installation's settings file (filled at start with GetIniFileName).
// LocateFileHook, the missing-file dialog, is declared with TMxFile.
extern THookSlot<void(QString& fileName)> IniFileNameHook;

} // namespace mx
