#pragma once
// The two small dialogs of the parameter machinery: the prompter, which
// shows a query's designed dialog and writes the answers into the
// controls' LoadedValues, and the dialog of one parameter's name and type.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

namespace mx {

class TMxDataModel;
class TMxParamControlList;
class TStrings;

class TfmParamPrompter : public QDialog {
    Q_OBJECT

public:
    explicit TfmParamPrompter(QWidget* parent = nullptr);
    ~TfmParamPrompter() override;

    // Shows controls (copied) at their design size, with the buttons below
    // or to the right; test mode loads nothing from the database.
    void Prepare(TMxDataModel* model, const QString& caption, TMxParamControlList* controls, bool testing);
    // Writes what each control shows into the LoadedValues of the control
    // at the same place of target.
    void StoreAnswers(TMxParamControlList* target);
    // Lets the copies of the controls go, and their shapes with them.
    void ReleaseControls();

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    void showLastAnswers(TMxParamControlList* controls);
};

// The prompter's hook routine; the string list is passed through unused.
void PromptParams(TMxDataModel* model, const QString& caption, bool& ok, TStrings* list, TMxParamControlList* controls,
    bool testing);

class TfmParamType : public QDialog {
    Q_OBJECT

public:
    explicit TfmParamType(QWidget* parent = nullptr);
    ~TfmParamType() override;

    // Shows name and the type at typeIndex among typeNames (none when out
    // of range).
    void SetParam(const QString& name, int typeIndex, const QStringList& typeNames);
    QString ParamName() const;
    int TypeIndex() const;
    void UpdateOk();

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
};

// The type dialog's hook routine: True on Ok, name and index written back
// only then.
bool EditParamType(QString& name, int& typeIndex, const QStringList& typeNames);

} // namespace mx
