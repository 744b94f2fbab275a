#pragma once
// The data model window's parts, shared by the window's own files
// (datamodelwindow.cpp, datamodelparts.cpp, datamodelcommands.cpp) and by
// none other: tests and pictures find a part by its objectName.

#include "datamodelwindow.h"

class QGraphicsView;
class QLabel;
class QMenu;
class QProgressBar;
class QToolButton;
class QWidget;

namespace mx::ui {
class TMxSplitter;
class TNRPanel;
}

namespace mx::admin {

// Each part is named as its objectName.
struct TfmDataModel::TUi {
    ui::TNRPanel* nrpaBoard = nullptr;
    ui::TMxSplitter* Splitter1 = nullptr;
    QGraphicsView* sbx = nullptr;
    ui::TNRPanel* nrpaBottom = nullptr;
    QLabel* paLeft = nullptr;
    QLabel* paMiddle = nullptr;
    QWidget* paProgress = nullptr;
    QProgressBar* gaProgress = nullptr;
    QToolButton* buttons[kBoardButtonCount] = {};
    QMenu* pmTable = nullptr;
    QMenu* miFavorites = nullptr;
};

} // namespace mx::admin
