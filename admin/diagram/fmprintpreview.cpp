#include "fmprintpreview.h"

#include "graph.h"

#include "engine/core/format.h"
#include "engine/core/translate.h"
#include "engine/model/datamodel.h"

#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/controls/docklayout.h"
#include "ui/controls/nrpanel.h"
#include "ui/controls/splitter.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace mx::admin {

namespace {

constexpr int kHelpContext = 98;
constexpr int kCell = 32;

// The pages on a printer: its page size in device pixels.
class TPrinterSink : public TPageSink {
public:
    explicit TPrinterSink(QPrinter& printer) : m_printer(printer) {}
    bool Begin(const QString& title) override
    {
        m_printer.setDocName(title);
        return m_painter.begin(&m_printer);
    }
    QSize PageSize() const override { return m_printer.pageLayout().paintRectPixels(m_printer.resolution()).size(); }
    QPainter& Painter() override { return m_painter; }
    void NewPage() override { m_printer.newPage(); }
    void End() override
    {
        if (m_painter.isActive())
            m_painter.end();
    }

private:
    QPrinter& m_printer;
    QPainter m_painter;
};

QSize PrinterPageSize()
{
    QPrinter& printer = DiagramPrinter();
    return printer.pageLayout().paintRectPixels(printer.resolution()).size();
}

// The toolbar's pictures, drawn when the desktop's theme has none.
QIcon Glyph(const char* theme, int kind)
{
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(theme));
    if (!icon.isNull())
        return icon;
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    switch (kind) {
    case 0: // a printer
        p.setBrush(Qt::white);
        p.drawRect(9, 3, 14, 10);
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(3, 12, 26, 12);
        p.setBrush(Qt::white);
        p.drawRect(9, 20, 14, 9);
        break;
    case 1: // a sheet and a wrench: the set-up
        p.setBrush(Qt::white);
        p.drawRect(6, 3, 16, 22);
        p.drawLine(16, 28, 28, 16);
        p.drawEllipse(QPoint(27, 15), 3, 3);
        break;
    case 2: // a magnifier with plus
    case 3: // and with minus
        p.drawEllipse(QPoint(13, 13), 9, 9);
        p.drawLine(20, 20, 29, 29);
        p.drawLine(9, 13, 17, 13);
        if (kind == 2)
            p.drawLine(13, 9, 13, 17);
        break;
    default: // a grid of pages
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c)
                p.drawRect(4 + c * 13, 4 + r * 13, 11, 11);
        break;
    }
    return QIcon(pm);
}

} // namespace

QPrinter& DiagramPrinter()
{
    static QPrinter* printer = [] {
        auto* p = new QPrinter(QPrinter::HighResolution);
        // no printer installed: the layout stays as it is
        p->setPageOrientation(QPageLayout::Landscape);
        return p;
    }();
    return *printer;
}

void PrintDiagram(TGraph& graph, QPrinter& printer, const TGraphPrintInfo& layout)
{
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    TPrinterSink sink(printer);
    graph.Print(sink, layout, copies);
}

// The white pages of the preview.
class TPreviewBox : public QWidget {
    Q_OBJECT

public:
    explicit TPreviewBox(TfmPrintPreview* form, QWidget* parent) : QWidget(parent), m_form(form)
    {
        setObjectName(QStringLiteral("pb"));
        setFont(QFont(QStringLiteral("Arial")));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        m_form->paintPages(p);
    }

private:
    TfmPrintPreview* m_form;
};

// The page-grid picker: up to 8 x 8 cells of 32 pixels; the cells up to
// the selected one are navy. A release or Enter applies, Esc closes.
class TPageGridPicker : public QWidget {
    Q_OBJECT

public:
    explicit TPageGridPicker(TfmPrintPreview* form, QWidget* parent) : QWidget(parent), m_form(form)
    {
        setObjectName(QStringLiteral("dg"));
        setFocusPolicy(Qt::StrongFocus);
        m_page = Glyph("", 9).pixmap(kCell, kCell);
    }
    void Open(int columns, int rows, int column, int row)
    {
        m_columns = std::clamp(columns, 3, 8);
        m_rows = std::clamp(rows, 3, 8);
        Select(column, row);
    }
    void Select(int column, int row)
    {
        m_column = std::clamp(column, 0, 7);
        m_row = std::clamp(row, 0, 7);
        m_columns = std::max(m_columns, m_column + 1);
        m_rows = std::max(m_rows, m_row + 1);
        setFixedSize(m_columns * (kCell + 1) + 1, m_rows * (kCell + 1) + 1);
        update();
        if (m_tile)
            m_tile->setText(Format(QStringLiteral("%dx%d page(s)"), {m_column + 1, m_row + 1}));
    }
    int Column() const { return m_column; }
    int Row() const { return m_row; }
    QLabel* m_tile = nullptr;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Mid));
        for (int r = 0; r < m_rows; ++r)
            for (int c = 0; c < m_columns; ++c) {
                const QRect cell(c * (kCell + 1) + 1, r * (kCell + 1) + 1, kCell, kCell);
                const bool on = c <= m_column && r <= m_row;
                p.fillRect(cell, on ? QColor(0, 0, 128) : QColor(Qt::white));
                p.drawPixmap(cell, m_page);
            }
    }
    void mousePressEvent(QMouseEvent* e) override { selectAt(e->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (e->buttons() & Qt::LeftButton)
            selectAt(e->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent*) override
    {
        Guard(this, [this] { m_form->applyPicker(m_column, m_row); });
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Guard(this, [this] { m_form->applyPicker(m_column, m_row); });
            return;
        case Qt::Key_Escape:
            m_form->OpenTilePicker(false);
            return;
        case Qt::Key_Left: Select(m_column - 1, m_row); return;
        case Qt::Key_Right: Select(m_column + 1, m_row); return;
        case Qt::Key_Up: Select(m_column, m_row - 1); return;
        case Qt::Key_Down: Select(m_column, m_row + 1); return;
        default: QWidget::keyPressEvent(e);
        }
    }

private:
    void selectAt(const QPoint& at) { Select(at.x() / (kCell + 1), at.y() / (kCell + 1)); }
    TfmPrintPreview* m_form;
    QPixmap m_page;
    int m_columns = 3;
    int m_rows = 3;
    int m_column = 0;
    int m_row = 0;
};

TPreviewBarLayout PreviewToolBar(bool large, const QList<int>& textWidths)
{
    const int margin = large ? 8 : 4;
    const int size = large ? 50 : 34;
    TPreviewBarLayout out;
    out.height = size + 2 * margin;
    int x = 8;
    for (int i = 0; i < 5; ++i) {
        const int width = std::max(size + margin, large ? textWidths.value(i) : 0);
        out.buttons << QRect(x, margin, width, size);
        x += width;
        if (i == 1 || i == 3)
            x += 8;
    }
    return out;
}

struct TfmPrintPreview::TUi {
    ui::TNRPanel* nrpaBoard;
    ui::TMxSplitter* splitter;
    QToolButton* fbPrint;
    QToolButton* fbPrintConfig;
    QToolButton* fbZoomIn;
    QToolButton* fbZoomOut;
    QToolButton* fbTile;
    QScrollArea* sbx;
    TPreviewBox* pb;
    TPageGridPicker* dg;
    QLabel* paTile;
    QAction* miSmallIcons;
};

TfmPrintPreview::TfmPrintPreview(TGraph* graph, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_graph(graph)
{
    setObjectName(QStringLiteral("fmPrintPreview"));
    setWindowTitle(Translate("Prévisualisation"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setProperty("helpContext", kHelpContext);
    ui::InstallHelpKey(this);
    TUi& u = *m_ui;

    auto action = [this](const char* name, const char* text, const QKeySequence& key, auto slot) {
        auto* a = new QAction(Translate(text), this);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        ui::Connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    QAction* miPrint = action("miPrint", "&Imprimer", {}, [this] { PrintCommand(); });
    QAction* miPrintConfig = action("miPrintConfig", "&Configuration de l'imprimante", {}, [this] { PrintSetupCommand(); });
    QAction* miClose = action("miClose", "&Fermer", {}, [this] { accept(); });
    QAction* miZoomIn = action("miZoomIn", "&Agrandir...", QKeySequence(Qt::CTRL | Qt::Key_A), [this] { ZoomIn(); });
    QAction* miZoomOut = action("miZoomOut", "&Rétrécir", QKeySequence(Qt::CTRL | Qt::Key_R), [this] { ZoomOut(); });
    QAction* miPageWidth = action("miPageWidth", "&Largeur de la page", QKeySequence(Qt::CTRL | Qt::Key_L),
        [this] { SetPageWidth(-1); });
    QAction* tiles[4];
    static const char* const tileNames[4] = {"miTile1", "miTile2", "miTile3", "miTile4"};
    static const char* const tileTexts[4] = {"&1x1 page", "&2x2 pages", "&3x3 pages", "&4x4 pages"};
    for (int n = 1; n <= 4; ++n)
        tiles[n - 1] = action(tileNames[n - 1], tileTexts[n - 1], QKeySequence(Qt::CTRL | (Qt::Key_0 + n)),
            [this, n] { SetTile(n, n); });
    u.miSmallIcons = action("miSmallIcons", "Afficher de petites &icones", {}, [this] {
        SetLargeIcons(!m_ui->miSmallIcons->isChecked());
    });
    u.miSmallIcons->setCheckable(true);

    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("mm"));
    QMenu* file = bar->addMenu(Translate("&Fichier"));
    file->addActions({miPrint, miPrintConfig});
    file->addSeparator();
    file->addAction(miClose);
    QMenu* view = bar->addMenu(Translate("&Affichage"));
    QMenu* zoom = view->addMenu(Translate("&Zoom"));
    zoom->addActions({miZoomIn, miZoomOut, miPageWidth});
    QMenu* tile = view->addMenu(Translate("&Mosaique"));
    for (QAction* a : tiles)
        tile->addAction(a);
    view->addSeparator();
    view->addAction(u.miSmallIcons);

    // the tool bar, the icon-size splitter under it, then the pages
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    auto* dock = new ui::TDockLayout(client);
    u.nrpaBoard = new ui::TNRPanel(client);
    u.nrpaBoard->setObjectName(QStringLiteral("nrpaBoard"));
    dock->AddWidget(u.nrpaBoard, ui::TAlign::alTop, PreviewToolBar(false).height);
    u.splitter = new ui::TMxSplitter(client);
    u.splitter->setObjectName(QStringLiteral("Splitter1"));
    u.splitter->setToolTip(Translate("Grandes/petites icônes"));
    dock->AddWidget(u.splitter, ui::TAlign::alTop, 3);
    u.splitter->SetAlign(ui::TAlign::alTop);
    u.splitter->SetMarquees(QStringLiteral("39;63"));
    u.splitter->SetLowMinSize(10);
    u.splitter->SetHighMinSize(10);
    u.splitter->SetOptions(u.splitter->Options() | ui::TMxSplitter::soUseMarquees | ui::TMxSplitter::soImmediate);
    // the snap position decides, also the first one reached (its index may
    // be the one the splitter started with)
    auto bySplitter = [this] { SetLargeIcons(m_ui->splitter->MarqueeIndex() == 1); };
    ui::Connect(u.splitter, &ui::TMxSplitter::OnMarqueeChange, this, bySplitter);
    ui::Connect(u.splitter, &ui::TMxSplitter::OnMoved, this, bySplitter);
    auto button = [&](const char* name, const char* text, const char* tip, QIcon icon) {
        auto* b = new QToolButton(u.nrpaBoard);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(Translate(text));
        b->setToolTip(Translate(tip));
        b->setIcon(icon);
        b->setAutoRaise(true);
        return b;
    };
    u.fbPrint = button("fbPrint", "Imprimer", "Imprimer", Glyph("document-print", 0));
    u.fbPrintConfig = button("fbPrintConfig", "Configurer", "Configuration de l'imprimante",
        Glyph("document-page-setup", 1));
    u.fbZoomIn = button("fbZoomIn", "Agrandir", "Agrandir", Glyph("zoom-in", 2));
    u.fbZoomOut = button("fbZoomOut", "Rétrécir", "Rétrécir", Glyph("zoom-out", 3));
    u.fbTile = button("fbTile", "Mosaique", "Mosaique", Glyph("view-grid", 4));
    u.fbTile->setCheckable(true);
    ui::Connect(u.fbPrint, &QToolButton::clicked, this, [this] { PrintCommand(); });
    ui::Connect(u.fbPrintConfig, &QToolButton::clicked, this, [this] { PrintSetupCommand(); });
    ui::Connect(u.fbZoomIn, &QToolButton::clicked, this, [this] { ZoomIn(); });
    ui::Connect(u.fbZoomOut, &QToolButton::clicked, this, [this] { ZoomOut(); });
    ui::Connect(u.fbTile, &QToolButton::toggled, this, [this](bool on) { OpenTilePicker(on); });

    u.sbx = new QScrollArea(client);
    u.sbx->setObjectName(QStringLiteral("sbx"));
    u.sbx->setBackgroundRole(QPalette::ToolTipBase);
    u.pb = new TPreviewBox(this, u.sbx);
    u.sbx->setWidget(u.pb);
    u.sbx->setWidgetResizable(false);
    dock->AddWidget(u.sbx, ui::TAlign::alClient);

    u.dg = new TPageGridPicker(this, this);
    u.dg->hide();
    u.paTile = new QLabel(this);
    u.paTile->setObjectName(QStringLiteral("paTile"));
    u.paTile->setAlignment(Qt::AlignCenter);
    u.paTile->setAutoFillBackground(true);
    u.paTile->setText(QStringLiteral("1x1 pages"));
    u.paTile->hide();
    u.dg->m_tile = u.paTile;

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->setMenuBar(bar);
    main->addWidget(client, 1);
    resize(760, 560);
    // large icons at creation
    SetLargeIcons(true);
    SetPageWidth(-1);
}

TfmPrintPreview::~TfmPrintPreview() = default;

void TfmPrintPreview::SetLargeIcons(bool large)
{
    if (large == m_largeIcons)
        return;
    m_largeIcons = large;
    TUi& u = *m_ui;
    {
        const QSignalBlocker quiet(u.miSmallIcons);
        u.miSmallIcons->setChecked(!large);
    }
    QToolButton* buttons[5] = {u.fbPrint, u.fbPrintConfig, u.fbZoomIn, u.fbZoomOut, u.fbTile};
    // a caption is never cut: its button is as wide as it needs
    QList<int> textWidths;
    for (QToolButton* b : buttons)
        textWidths << b->fontMetrics().horizontalAdvance(b->text()) + 12;
    const TPreviewBarLayout bar = PreviewToolBar(large, textWidths);
    // while the splitter is dragged it sizes the bar itself
    if (!u.splitter->Sizing())
        ui::TDockLayout::Of(u.nrpaBoard->parentWidget())->SetExtent(u.nrpaBoard, bar.height);
    const int icon = large ? 28 : 24;
    for (int i = 0; i < 5; ++i) {
        buttons[i]->setGeometry(bar.buttons[i]);
        buttons[i]->setIconSize(QSize(icon, icon));
        buttons[i]->setToolButtonStyle(large ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    }
}

void TfmPrintPreview::SetTile(int across, int down)
{
    m_info.PagesAcross = std::clamp(across, 1, 8);
    m_info.PagesDown = std::clamp(down, 1, 8);
    SetPageWidth(-1);
}

void TfmPrintPreview::SetPageWidth(int width)
{
    QScrollArea* sbx = m_ui->sbx;
    const QSize visible = sbx->maximumViewportSize();
    const QSize printer = PrinterPageSize();
    m_fitWidth = width == -1;
    m_info.PageWidth = std::max(1, m_fitWidth ? visible.width() / std::max(1, m_info.PagesAcross) : width);
    m_info.PageHeight = std::max(1, PreviewPageHeight(m_info.PageWidth, printer));
    m_graph->ComputeLayout(m_info, true);
    if (m_fitWidth) {
        // a quarter smaller at a time until the rows fit, never to nothing
        while (visible.height() < m_info.TotalHeight && m_info.PageWidth * 3 / 4 >= 1 && m_info.PageHeight * 3 / 4 >= 1) {
            m_info.PageWidth = m_info.PageWidth * 3 / 4;
            m_info.PageHeight = m_info.PageHeight * 3 / 4;
            m_graph->ComputeLayout(m_info, true);
        }
    }
    m_ui->pb->resize(std::max(1, m_info.TotalWidth), std::max(1, m_info.TotalHeight));
    m_ui->pb->update();
}

void TfmPrintPreview::ZoomIn()
{
    SetPageWidth(m_info.PageWidth * 4 / 3);
}

void TfmPrintPreview::ZoomOut()
{
    SetPageWidth(std::max(1, m_info.PageWidth * 3 / 4));
}

void TfmPrintPreview::PrintCommand()
{
    QPrinter& printer = DiagramPrinter();
    if (!ui::UiService().PrintDialog(this, printer))
        return;
    PrintDiagram(*m_graph, printer, m_info);
}

void TfmPrintPreview::PrintSetupCommand()
{
    if (ui::UiService().PrinterSetup(this, DiagramPrinter()))
        SetPageWidth(-1);
}

void TfmPrintPreview::OpenTilePicker(bool open)
{
    TUi& u = *m_ui;
    if (u.fbTile->isChecked() != open) {
        const QSignalBlocker quiet(u.fbTile);
        u.fbTile->setChecked(open);
    }
    if (!open) {
        u.dg->hide();
        u.paTile->hide();
        return;
    }
    u.dg->Open(std::max(3, m_info.PagesAcross), std::max(3, m_info.PagesDown), m_info.PagesAcross - 1,
        m_info.PagesDown - 1);
    const QPoint at = u.fbTile->mapTo(this, QPoint(0, u.fbTile->height()));
    u.dg->move(at);
    u.paTile->setGeometry(at.x(), at.y() + u.dg->height(), u.dg->width(), u.paTile->sizeHint().height() + 4);
    u.dg->show();
    u.dg->raise();
    u.paTile->show();
    u.paTile->raise();
    u.dg->setFocus(Qt::PopupFocusReason);
}

void TfmPrintPreview::applyPicker(int column, int row)
{
    OpenTilePicker(false);
    SetTile(column + 1, row + 1);
}

void TfmPrintPreview::paintPages(QPainter& painter)
{
    m_graph->ComputeLayout(m_info, true);
    const QRect area(0, 0, m_info.TotalWidth, m_info.TotalHeight);
    painter.fillRect(area, Qt::white);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    m_graph->DrawPage(painter, m_info, -1, -1);
}

void TfmPrintPreview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_fitWidth)
        SetPageWidth(-1);
}

void TfmPrintPreview::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_fitWidth)
        SetPageWidth(-1);
}

void ShowPrintPreview(TGraph* graph, int mode)
{
    if (!graph)
        return;
    TfmPrintPreview form(graph);
    form.SetPageWidth(-1);
    switch (mode) {
    case 1: form.PrintCommand(); break;
    case 2: form.PrintSetupCommand(); break;
    default: ui::RunModal(form); break;
    }
}

} // namespace mx::admin

#include "fmprintpreview.moc"
