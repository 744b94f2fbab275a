#pragma once
// The designer window of the query program (fmQueryDesigner): one query
// at most, edited through the query editing surface, with its tool bar,
// properties panel, steps list and entity outline, SQL pane and status
// bar. Several windows may be open; the process ends when the last one is
// destroyed (DesignerCount, designerlogic.h). The rules it applies (command
// states, caption, tool bar geometry, stored layout, settings, the save
// question) are in designerlogic.h; the file and run commands in
// designercommands.cpp; menus and tool bar in designerparts.cpp. Its
// widgets are its own (designerui.h): a collaborator is handed the ones it
// needs when it is made, tests find them by objectName.

#include "designerlogic.h"
#include "editorseam.h"

#include "query/server/designerregistry.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;

namespace mx {

class TMxDataModel;
class TMxQuery;
class TMxQueryStep;
class TDesignerCommandLink;

namespace ui {
class TBrnTips;
}

class TfmQueryDesigner : public QMainWindow, public TServedDesigner {
    Q_OBJECT

public:
    // An empty window, shown.
    TfmQueryDesigner();
    // A window on a query file (empty: no query). A failed load is shown
    // in one error box; the window stays, empty.
    static TfmQueryDesigner* CreateFromFile(const QString& fileName);
    // A window on a new query over a data model file; a failed load is
    // shown in one error box and the window stays, empty.
    static TfmQueryDesigner* CreateOnModel(const QString& modelFile);
    // Frees every designer window still open, whatever it holds (before
    // the settings and the engine they use go).
    static void FreeAll();
    ~TfmQueryDesigner() override;

    TMxQuery* GetQuery() const;
    // Hands the query (or none) to the editor, restores the layout stored
    // in it, clears the SQL pane, then frees the previous query (and the
    // model it holds).
    void SetQuery(TMxQuery* query);
    TMxQueryStep* CurrentStep() const;
    TDesignerEditor& Editor() const { return *m_editor; }
    // The step, field, dialog, set and help commands (commandlink.h).
    TDesignerCommandLink& CommandLink() const { return *m_commandLink; }

    // Recomputes the command states and the caption.
    void AtStateChange();
    void AtSqlChanged();

    bool LargeIcons() const { return m_largeIcons; }
    void SetLargeIcons(bool large);
    int AboutLeft() const { return m_aboutLeft; }

    void SaveLayout();
    void RestoreLayout();

    // ---- commands (designercommands.cpp) --------------------------------
    // Loads the data model a new query will use; false (after one error
    // box) when it cannot be loaded or the user may not create queries.
    bool LoadDataModel(const QString& fileName);
    // A new query over a model file (empty: the model is chosen first).
    void NewQuery(const QString& modelFile);
    // Opens a query file (empty: chosen first).
    void OpenQuery(const QString& fileName);
    bool Save();
    bool SaveAs();
    void CloseQuery();
    void RunQuery();
    // The question before the query is dropped: true to go on.
    bool SaveIfModified();

    // TServedDesigner
    TMxQuery* DesignerQuery() override { return GetQuery(); }
    void RunDesignerQuery() override;
    void ShowDesigner() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // designerparts.cpp
    void buildPanels();
    void buildToolBar();
    void buildMenus();
    void connectCommands();
    void layoutQueryProp();
    void layoutBoard();
    void applySqlMarquee();
    void bindHistories(bool bind);

    void placeOnScreen();
    void applyStates(const TDesignerSituation& s);
    void fillDomains();
    void domainChanged(int index);
    void setFileName(const QString& fileName);
    void addToHistory(int list, const QString& fileName);
    void prepareTips();
    void showTips();
    void writeBackProperties();

private:
    // The window's parts, each with its component name as objectName
    // (designerui.h).
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    // The action of that objectName (none when there is none).
    QAction* action(const char* name) const;

    QWidget* m_client = nullptr;
    std::unique_ptr<TDesignerEditor> m_editor;
    TDesignerCommandLink* m_commandLink = nullptr; // a child of the window
    TMxDataModel* m_model = nullptr; // the model a new query will use, while no query holds it
    bool m_largeIcons = true;
    int m_aboutLeft = 0;
    bool m_updating = false;
    bool m_destroying = false;
    bool m_closing = false;
    QPointer<ui::TBrnTips> m_tips;
    std::unique_ptr<TDesignerRegistration> m_registration;
};

// The query's informations as the memo shows them.
QString InformationsText(const TMxQuery& query);
// The file the query's data model was loaded from, as an absolute path
// (the stored name when no model is loaded): what the recent-model list
// keeps, so that an entry opens again wherever it was chosen.
QString LoadedModelFile(const TMxQuery& query);

// Fills the designer registry's factory and the dispatch's designer part:
// a designer over modelFile when set, else over queryFile (empty: none),
// then the event loop until the last designer closes; the exit status.
int OpenDesignerAndRun(const QString& modelFile, const QString& queryFile);

} // namespace mx
