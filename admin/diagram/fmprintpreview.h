#pragma once
// The print preview of the diagram ("Prévisualisation"): every page of the
// grid at once on a white area with grey page borders, zoom, "page width"
// fitting, the page grid (1 x 1 to 8 x 8, from the menu or the picker
// under "Mosaique"), and printing through the print dialog. Printing,
// preview and PDF share the diagram's page layout.

#include "graphlayout.h"

#include <QDialog>
#include <QList>
#include <QRect>

#include <memory>

class QPrinter;

namespace mx::admin {

class TGraph;

// The printer of the diagram, made once per process in landscape.
QPrinter& DiagramPrinter();

// Prints the diagram on the printer with its page grid. The copies asked
// for in the print dialog are drawn here, each once: the printer is set to
// one copy so that it does not multiply them again.
void PrintDiagram(TGraph& graph, QPrinter& printer, const TGraphPrintInfo& layout);

// The preview's tool bar: margin 4 and buttons of 34 with small icons,
// margin 8 and 50 with large ones; from x = 8, each button size + margin
// wide and size high at y = margin, a gap of 8 after "Configurer" and
// after "Rétrécir". In the order fbPrint, fbPrintConfig, fbZoomIn,
// fbZoomOut, fbTile. A button whose caption needs more room (textWidths,
// in that order, with large icons only) is made as wide as its caption.
struct TPreviewBarLayout {
    int height = 0; // size + 2 x margin
    QList<QRect> buttons;
};
TPreviewBarLayout PreviewToolBar(bool large, const QList<int>& textWidths = {});

class TfmPrintPreview : public QDialog {
    Q_OBJECT

public:
    explicit TfmPrintPreview(TGraph* graph, QWidget* parent = nullptr);
    ~TfmPrintPreview() override;

    const TGraphPrintInfo& Info() const { return m_info; }
    // The page grid (then fitted to the page width again).
    void SetTile(int across, int down);
    // A page width in pixels, or -1: the visible width shared by the pages
    // across, shrunk by quarters until every page row fits the height.
    void SetPageWidth(int width);
    void ZoomIn();
    void ZoomOut();
    // The print dialog, then the print when confirmed.
    void PrintCommand();
    // The printer set-up, then the page width fitted again.
    void PrintSetupCommand();
    // The page-grid picker under "Mosaique".
    void OpenTilePicker(bool open);
    // Large icons (with their captions) or small ones; the splitter under
    // the tool bar chooses them too: its second snap position gives large.
    bool LargeIcons() const { return m_largeIcons; }
    void SetLargeIcons(bool large);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TPreviewBox;
    friend class TPageGridPicker;
    void applyPicker(int column, int row);
    void paintPages(QPainter& painter);
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TGraph* m_graph;
    TGraphPrintInfo m_info;
    bool m_fitWidth = true;
    bool m_largeIcons = false;
};

// Opens the preview over the diagram: mode 0 shows it, 1 runs its print
// command, 2 its printer set-up.
void ShowPrintPreview(TGraph* graph, int mode);

} // namespace mx::admin
