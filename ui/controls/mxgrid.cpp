#include "mxgrid.h"

#include "engine/errors/errorhandler.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace mx::ui {
namespace {

constexpr int kDefaultColWidth = 64;
constexpr int kGridLine = 1;
constexpr int kResizeGrip = 2;

} // namespace

TMxGrid::TMxGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("MxGrid"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    SetIndicatorWidth(m_indicatorWidth);
    updateScrollBar();
}

TMxGrid::~TMxGrid() = default;

TMxGridCellStyle TMxGrid::defaultStyle() const
{
    return {font(), palette().color(QPalette::Text), palette().color(QPalette::Base)};
}

int TMxGrid::DefaultRowHeight() const
{
    // 16 pixels, or more when the font needs it: the text starts 2 pixels
    // down and must not be cut.
    return std::max(16, fontMetrics().height() + 3);
}

int TMxGrid::ColWidth(int col) const
{
    return col >= 0 && col < m_colWidths.size() ? m_colWidths[col] : 0;
}

void TMxGrid::SetColWidth(int col, int width)
{
    if (col < 0 || col >= m_colWidths.size())
        return;
    m_colWidths[col] = std::max(0, width);
    viewport()->update();
}

void TMxGrid::SetIndicatorWidth(int value)
{
    m_indicatorWidth = value;
    SetColWidth(0, value - 2);
}

void TMxGrid::SetShowHeaders(bool value)
{
    const int rows = value ? 1 : 0;
    if (rows == m_headerRows)
        return;
    const int dataRow = m_row - m_headerRows;
    m_headerRows = rows;
    // Column sizing on the header goes with it.
    viewport()->setMouseTracking(value);
    updateRowCount();
    m_row = std::clamp(dataRow + m_headerRows, m_headerRows, std::max(m_headerRows, m_rowCount - 1));
    updateScrollBar();
    viewport()->update();
}

void TMxGrid::SetDataSet(TIMxDataset* dataset)
{
    m_failed = false;
    m_records.Bind(dataset);
    SetRecordCount(-1);
    rebuildColumns();
}

void TMxGrid::SetRecordCount(int last)
{
    m_records.SetCount(last < 0 ? -1 : last + 1);
    if (m_records.Dataset() && !Columns.isEmpty())
        m_records.Restart();
    else
        m_records.MoveTo(0);
    countChanged();
}

void TMxGrid::countChanged()
{
    updateRowCount();
    updateScrollBar();
    viewport()->update();
    emit OnRecordCountChange();
}

void TMxGrid::updateRowCount()
{
    if (m_records.Dataset() && !Columns.isEmpty()) {
        const int count = m_records.Count();
        // Unknown: as many rows as can be counted. Known and empty: one
        // blank row under the header.
        m_rowCount = count < 0 ? INT_MAX : int(std::min<qint64>(INT_MAX, qint64(m_headerRows) + std::max(count, 1)));
    } else {
        m_rowCount = m_headerRows + 1;
    }
    if (m_row > 0)
        m_row = std::min(m_row, m_rowCount - 1);
    m_row = std::max(m_row, m_headerRows);
}

void TMxGrid::rebuildColumns()
{
    m_colWidths.resize(Columns.size() + 1, kDefaultColWidth);
    if (Columns.isEmpty())
        SetRecordCount(-1);
    SetIndicatorWidth(m_indicatorWidth);
    UpdateColumnWidths();
    updateScrollBar();
    viewport()->update();
}

void TMxGrid::UpdateColumnWidths()
{
    m_colWidths.resize(Columns.size() + 1, kDefaultColWidth);
    if (!OnGetInfo)
        return;
    for (int i = 0; i < Columns.size(); ++i) {
        askInfo(i, dikWidth);
        SetColWidth(i + 1, InfoWidth - 1);
    }
}

void TMxGrid::SetSource(const TMxGridSource* source)
{
    if (!source) {
        OnGetInfo = nullptr;
        return;
    }
    OnGetInfo = [source](TMxGrid& grid, int col, TMxGridDrawInfoKind kind) {
        switch (kind) {
        case dikWidth:
            grid.InfoWidth = source->ColumnWidth(grid, col);
            break;
        case dikColors:
            source->CellStyle(grid, col, grid.InfoStyle);
            break;
        case dikHeader:
            grid.InfoText = source->HeaderText(grid, col);
            break;
        case dikText:
            grid.InfoText = source->CellText(grid, col);
            break;
        }
    };
}

void TMxGrid::askInfo(int col, TMxGridDrawInfoKind kind)
{
    // Each data cell starts from the grid's own font and colours.
    if (kind == dikColors)
        InfoStyle = defaultStyle();
    if (!OnGetInfo)
        return;
    if (col >= 0 && col < Columns.size()) {
        OnGetInfo(*this, col, kind);
        return;
    }
    switch (kind) {
    case dikWidth:
        InfoWidth = 50;
        break;
    case dikColors:
        break;
    case dikHeader:
    case dikText:
        InfoText = QStringLiteral("???");
        break;
    }
}

int TMxGrid::VisibleRowCount() const
{
    const int step = DefaultRowHeight() + kGridLine;
    return std::max(0, (viewport()->height() - m_headerRows * step) / step);
}

int TMxGrid::TopRow() const
{
    return verticalScrollBar()->value();
}

void TMxGrid::SetTopRow(int row)
{
    verticalScrollBar()->setValue(row);
}

void TMxGrid::updateScrollBar()
{
    const int dataRows = std::max(1, m_rowCount - m_headerRows);
    const int visible = VisibleRowCount();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, dataRows - visible));
    bar->setPageStep(std::max(1, visible));
}

void TMxGrid::ensureVisible(int row)
{
    if (row < m_headerRows)
        return;
    const int data = row - m_headerRows;
    const int visible = std::max(1, VisibleRowCount());
    if (data < TopRow())
        SetTopRow(data);
    else if (qint64(data) >= qint64(TopRow()) + visible)
        SetTopRow(data - visible + 1);
}

void TMxGrid::SetRow(int row)
{
    m_row = std::clamp(row, m_headerRows, std::max(m_headerRows, m_rowCount - 1));
    ensureVisible(m_row);
    viewport()->update();
}

int TMxGrid::colLeft(int col) const
{
    int x = 0;
    for (int c = 0; c < col && c < m_colWidths.size(); ++c)
        x += m_colWidths[c] + kGridLine;
    return x;
}

int TMxGrid::rowTop(int row) const
{
    const int step = DefaultRowHeight() + kGridLine;
    if (row < m_headerRows)
        return row * step;
    const qint64 shown = qint64(row) - m_headerRows - TopRow();
    if (shown < 0)
        return -1;
    return int(std::min<qint64>(INT_MAX / 2, m_headerRows * step + shown * step));
}

int TMxGrid::rowAt(int y) const
{
    const int step = DefaultRowHeight() + kGridLine;
    if (y < 0)
        return -1;
    const int header = m_headerRows * step;
    const qint64 row = y < header ? y / step : qint64(m_headerRows) + TopRow() + (y - header) / step;
    return row < m_rowCount ? int(row) : -1;
}

QRect TMxGrid::CellRect(int col, int row) const
{
    const int y = rowTop(row);
    if (y < 0 || col < 0 || col >= ColCount() || row < 0 || row >= m_rowCount)
        return {};
    return QRect(colLeft(col), y, ColWidth(col), DefaultRowHeight());
}

void TMxGrid::moveTo(int record)
{
    if (m_records.MoveTo(record))
        countChanged();
}

void TMxGrid::paintCell(QPainter& p, int col, int row, const QRect& rect)
{
    QString text;
    const int r = row - m_headerRows; // the header row is -1
    const bool header = r < 0;
    const bool fixedCol = col == 0 && !Columns.isEmpty();
    // Only a record is ever shown selected: an empty grid has no cell to
    // choose.
    const bool selected = !header && !fixedCol && row == m_row && m_records.Active();
    TMxGridCellStyle style = defaultStyle();
    bool pastEnd = false;
    if (!header && m_records.Active()) {
        moveTo(r);
        const int count = m_records.Count();
        pastEnd = count >= 0 && r >= count;
    }
    if (col != 0) {
        const int c = col - 1;
        if (header) {
            askInfo(c, dikHeader);
            text = InfoText;
        } else {
            if (!selected) {
                askInfo(c, dikColors);
                style = InfoStyle;
            }
            if (m_records.Active() && !pastEnd) {
                askInfo(c, dikText);
                text = InfoText;
            }
        }
    } else if (!header && m_records.Dataset() && !pastEnd) {
        text = QString::number(qint64(r) + 1);
    }
    QColor background = style.brush;
    QColor foreground = style.text;
    if (header || fixedCol) {
        background = palette().color(QPalette::Button);
        foreground = palette().color(QPalette::ButtonText);
    } else if (pastEnd) {
        background = palette().color(QPalette::Base);
    } else if (selected) {
        background = palette().color(QPalette::Highlight);
        foreground = palette().color(QPalette::HighlightedText);
    }
    p.fillRect(rect, background);
    if (pastEnd || text.isEmpty())
        return;
    p.save();
    p.setClipRect(rect);
    p.setFont(style.font);
    p.setPen(foreground);
    p.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    p.restore();
}

void TMxGrid::paintCells(QPainter& p)
{
    const QRect area = viewport()->rect();
    p.fillRect(area, palette().color(QPalette::Base));
    if (m_failed)
        return;
    if (m_records.Gone())
        SetDataSet(nullptr);
    const int rh = DefaultRowHeight();
    const QColor line = palette().color(QPalette::Mid);
    const auto paintRow = [&](int row, int y) {
        int x = 0;
        for (int col = 0; col < ColCount() && x < area.width(); ++col) {
            const int w = ColWidth(col);
            paintCell(p, col, row, QRect(x, y, w, rh));
            if (m_failed)
                return;
            p.fillRect(QRect(x + w, y, kGridLine, rh + kGridLine), line);
            p.fillRect(QRect(x, y + rh, w, kGridLine), line);
            x += w + kGridLine;
        }
    };
    int y = 0;
    for (int row = 0; row < m_headerRows && !m_failed; ++row, y += rh + kGridLine)
        paintRow(row, y);
    const int top = TopRow();
    // The row count may shrink while painting: the end of the records was met.
    for (qint64 row = qint64(m_headerRows) + top; row < m_rowCount && y < area.height() && !m_failed;
         ++row, y += rh + kGridLine)
        paintRow(int(row), y);
}

void TMxGrid::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    try {
        paintCells(p);
    } catch (...) {
        fail(std::current_exception());
    }
}

void TMxGrid::fail(std::exception_ptr error)
{
    if (m_failed)
        return;
    // A broken cursor or callback is not read again: the grid lets the
    // dataset go and asks the owner nothing more until it binds again.
    try {
        SetDataSet(nullptr);
    } catch (...) {
    }
    m_failed = true;
    viewport()->update();
    // Reported after the event: no window may open inside a paint.
    QTimer::singleShot(0, qApp, [self = QPointer<TMxGrid>(this), error] { HandleException(self.data(), error); });
}

void TMxGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void TMxGrid::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TMxGrid::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateScrollBar();
}

void TMxGrid::keyPressEvent(QKeyEvent* event)
{
    const int page = std::max(1, VisibleRowCount());
    try {
        switch (event->key()) {
        case Qt::Key_Up:
            SetRow(m_row - 1);
            break;
        case Qt::Key_Down:
            SetRow(m_row + 1);
            break;
        case Qt::Key_PageUp:
            SetRow(m_row - page);
            break;
        case Qt::Key_PageDown:
            SetRow(int(std::min<qint64>(INT_MAX, qint64(m_row) + page)));
            break;
        case Qt::Key_Home:
            SetRow(m_headerRows);
            break;
        case Qt::Key_End:
            // The last row: read on to the end when it is not known yet.
            if (m_records.Count() < 0 && m_records.Active() && !Columns.isEmpty())
                moveTo(INT_MAX - 1);
            SetRow(m_rowCount - 1);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        event->accept();
    } catch (...) {
        fail(std::current_exception());
    }
}

int TMxGrid::resizeHandleAt(const QPoint& pos) const
{
    if (!ShowHeaders() || rowAt(pos.y()) != 0)
        return -1;
    for (int col = 1; col < ColCount(); ++col) {
        const int edge = colLeft(col) + ColWidth(col);
        if (std::abs(pos.x() - edge) <= kResizeGrip)
            return col;
    }
    return -1;
}

void TMxGrid::mousePressEvent(QMouseEvent* event)
{
    Guard(this, [&] {
        setFocus(Qt::MouseFocusReason);
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint pos = event->position().toPoint();
        m_resizing = resizeHandleAt(pos);
        if (m_resizing >= 0) {
            m_resizeStartX = pos.x();
            m_resizeStartWidth = ColWidth(m_resizing);
            return;
        }
        const int row = rowAt(pos.y());
        if (row >= m_headerRows)
            SetRow(row);
    });
}

void TMxGrid::mouseMoveEvent(QMouseEvent* event)
{
    Guard(this, [&] {
        const QPoint pos = event->position().toPoint();
        if (m_resizing >= 0) {
            SetColWidth(m_resizing, m_resizeStartWidth + pos.x() - m_resizeStartX);
            return;
        }
        viewport()->setCursor(resizeHandleAt(pos) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
        if (event->buttons() & Qt::LeftButton) {
            const int row = rowAt(pos.y());
            if (row >= m_headerRows)
                SetRow(row);
        }
    });
}

void TMxGrid::mouseReleaseEvent(QMouseEvent*)
{
    m_resizing = -1;
}

} // namespace mx::ui
