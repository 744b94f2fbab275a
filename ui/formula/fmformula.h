#pragma once
// The formula editor: one modal dialog in which users build formulas,
// filters and criteria token by token. EditFormula opens it; the engine
// reaches it through its editor hooks, which InstallFormulaEditor fills.

#include "formulasession.h"

#include <QDialog>

#include <memory>

namespace mx {
class TMxDataModel;
class TMxFormulaList;
class TMxQuery;
class TMxQueryField;
} // namespace mx

namespace mx::ui {

class TfmFormula : public QDialog {
    Q_OBJECT
public:
    TfmFormula(TFormulaSession& session, const QString& caption, QWidget* parent = nullptr);
    ~TfmFormula() override;

    TFormulaSession& Session() const { return m_session; }
    // The text of the end-marker row.
    static QString EndMarkerText();

    // The palettes again (type changed, parameters edited).
    void FillPalettes();
    // The token rows, the line, the check and the buttons.
    void ShowFormula();
    // Inserts a token made of source before the selected row.
    void InsertToken(const TTokenSource& source);
    // The action of whichever palette had the focus last.
    void InsertFromFocus();
    void InsertOperatorRow(int row);
    void InsertField();
    void InsertParam();
    void InsertConstant();
    void DeleteToken();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct TUi;
    void build();
    void updateButtons();
    void editParams();
    void focusMoved(QWidget* now);
    bool typedOperator(const QString& text);

    std::unique_ptr<TUi> m_ui;
    TFormulaSession& m_session;
    QString m_caption;
    std::vector<TOperatorEntry> m_operators;
    QWidget* m_lastPalette = nullptr;
    QMetaObject::Connection m_focusConnection;
};

// The dialog on a working copy of tokens; true when the user pressed OK,
// and only then are tokens (and, with a query, its parameters) changed.
bool EditFormula(TFormulaType mode, const QString& caption, TMxFormulaList* tokens, TMxDataModel* model,
    TMxQueryField* field, int step, TMxQuery* query);

// The routines of the engine's editor hooks.
bool EditFieldFormula(TMxQuery* query, int step, TMxDataModel* model, TMxQueryField* field);
bool EditFieldFilter(TMxQuery* query, int step, TMxQueryField* field);
bool EditEntityCriteria(TMxFormulaList* criteria, TMxDataModel* model);
bool EditSetCriteria(TMxFormulaList* criteria, TMxDataModel* model);
bool EditStepCriteria(TMxQueryStep* step);

// Fills FieldFormulaHook, FieldFilterHook, EntityCriteriaHook,
// SetCriteriaHook and StepCriteriaHook with the routines above.
void InstallFormulaEditor();

} // namespace mx::ui
