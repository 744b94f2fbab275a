#pragma once
// The main window of the administration program (fmDataModel): at most one
// data model, drawn by its diagram (TGraph, which owns the model), with the
// tool bar, the menus and the status bar, and every administration
// command. Several windows may be open; the program ends when the last one
// is destroyed (DataModelWindows, datamodellogic.h). The rules of enabling
// and caption are in datamodellogic.h; the parts of the window in
// datamodelparts.cpp; the file, table and analysis commands in
// datamodelcommands.cpp.

#include "datamodellogic.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;

namespace mx {
class TMxDataModel;
class TMxTable;
class TProgressService;
namespace ui {
class TBrnTips;
class TItemObserver;
}
}

namespace mx::admin {

class TGraph;

inline constexpr int kBoardButtonCount = 10;

class TfmDataModel : public QMainWindow {
    Q_OBJECT

public:
    // An empty window (no model), shown. The first window of the process
    // shows the tips when the tips option is on.
    TfmDataModel();
    ~TfmDataModel() override;

    TMxDataModel* Model() const;
    TGraph* Graph() const { return m_graph; }
    // Takes the model (or none): its window state and design size, then the
    // diagram takes it and frees the previous one.
    void SetModel(TMxDataModel* model);

    void AtStateChange();
    bool LargeIcons() const { return m_largeIcons; }
    void SetLargeIcons(bool large);
    int AboutLeft() const { return m_aboutLeft; }

    // ---- commands (datamodelcommands.cpp) --------------------------------
    // A new model (empty fileName; then tables are added when addTables) or
    // the model of a file. After a refused load the window keeps its model.
    void OpenModel(const QString& fileName, bool addTables);
    // The open dialog, then OpenModel of the file chosen.
    void OpenFile();
    void AddTables();
    // The link analysis; with report the report is shown afterwards.
    void AutoLink(bool report);
    // The question before the model goes: true to go on; Cancel raises the
    // silent abort.
    bool CanCloseModel();
    // Each check that fails opens the dialog that mends it: false, nothing
    // saved.
    bool CheckBeforeSave();
    bool SaveModel();
    bool SaveModelAs();
    void CloseModel();
    void ShowReport(const QString& caption);
    void StoreDesignSize();
    void EditTables(TMxTable* first);
    void EditEntities(TMxTable* first);
    bool EditDatabases();
    bool EditRights();
    void EditSets();
    void AnalyseAllTables();
    void AnalyseSelectedTable();
    void RemoveTable(TMxTable* table);
    void UnlinkAll();
    void FindTable();
    void ShowTips();
    // The selected table's panel, none when nothing is selected.
    TMxTable* SelectedTable() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's parts (datamodelui.h), each found by its objectName.
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    QAction* action(const char* name) const;

    // datamodelparts.cpp
    void buildPanels();
    void buildToolBar();
    void buildMenus();
    void buildTablePopup();
    void connectCommands();
    void layoutBoard();
    void bindToSettings(bool bind);

    void addToHistory(const QString& fileName);
    void prepareTips();
    void openManual(const QString& hint);
    void onTablePopup();
    bool saveTo(const QString& fileName);

    QWidget* m_client = nullptr;
    TGraph* m_graph = nullptr; // a child of the window
    // Any change of the model or of a part of it: the modified mark, the
    // caption and the commands follow.
    ui::TItemObserver* m_modelWatch = nullptr;
    std::unique_ptr<TProgressService> m_progress;
    TProgressService* m_formerProgress = nullptr;
    bool m_progressInstalled = false;
    bool m_largeIcons = true;
    int m_aboutLeft = 0;
    bool m_closing = false;
    bool m_destroying = false;
    QPointer<ui::TBrnTips> m_tips;
};

} // namespace mx::admin
