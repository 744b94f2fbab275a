#pragma once
// The designer window's parts, shared by the window's own files
// (querydesigner.cpp, designerparts.cpp, designercommands.cpp) and by none
// other: collaborators are handed what they need when they are made, and
// tests and pictures find a part by its objectName.

#include "querydesigner.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace mx {

namespace ui {
class TEntityOutline;
class TMxSplitter;
class TNRPanel;
class TPictureListView;
}

// Each part is named as its objectName.
struct TfmQueryDesigner::TUi {
    ui::TNRPanel* nrpaBoard = nullptr;
    ui::TMxSplitter* Splitter1 = nullptr;
    ui::TNRPanel* nrpaQueryProp = nullptr;
    ui::TMxSplitter* Splitter2 = nullptr;
    ui::TNRPanel* nrpaLeft = nullptr;
    ui::TPictureListView* plbSteps = nullptr;
    ui::TMxSplitter* Splitter5 = nullptr;
    ui::TEntityOutline* olFields = nullptr;
    ui::TMxSplitter* Splitter4 = nullptr;
    ui::TMxSplitter* splSQL = nullptr;
    QPlainTextEdit* moSQL = nullptr;
    ui::TNRPanel* nrpaBottom = nullptr;
    QLabel* paLeft = nullptr;
    QLabel* paMiddle = nullptr;
    QWidget* paProgress = nullptr;
    QProgressBar* gaProgress = nullptr;
    QLabel* laDomain = nullptr;
    QComboBox* cobDomain = nullptr;
    QLabel* laQueryName = nullptr;
    QLineEdit* edQueryName = nullptr;
    QCheckBox* cbPrintAuto = nullptr;
    QCheckBox* cbDumpTables = nullptr;
    QLabel* laQryInfos = nullptr;
    QPlainTextEdit* moQryInfos = nullptr;
    QLabel* laViewPrefix = nullptr;
    QLineEdit* edViewPrefix = nullptr;
    // In kToolButtons order, each named as its entry there.
    QToolButton* buttons[kToolButtonCount] = {};
    QMenu* pmSteps = nullptr;
    QMenu* miFavorites = nullptr;
    QMenu* miSelectDm = nullptr;
};

} // namespace mx
