#pragma once
// The read-only grid over a step's result (a TIMxDataset). Its owner (the
// step editor) supplies the columns (Columns: one object per grid column
// after the indicator column, which the grid only counts) and, through one
// callback, their widths, colours, header texts and cell texts.
//
// The grid reads the dataset only for the rows it paints, forward one
// record at a time from where the cursor is, and keeps no row of its own.
// The record count is unknown at first (the grid then has the largest
// number of rows) and becomes known when painting, or a move to the last
// row, meets the end. A callback that raises while the grid paints
// unbinds the dataset and is reported once, after the paint; a dataset
// freed under the grid is let go silently. The owner unbinds the grid
// before a run and binds the new result afterwards.
//
// Geometry: a 1-pixel frame, then the indicator column (IndicatorWidth - 2
// wide, the record numbers) and one column per entry of Columns (the
// callback's width - 1), each followed by a 1-pixel grid line; with
// ShowHeaders a header row on top; rows of DefaultRowHeight(). The
// vertical scroll bar counts rows; there is no horizontal one (the owner
// moves the grid).

#include "gridrecords.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QList>

#include <functional>

namespace mx::ui {

enum TMxGridDrawInfoKind {
    dikWidth = 0,  // InfoWidth: the column's width
    dikColors = 1, // InfoStyle: font, text colour and brush of a data cell
    dikHeader = 2, // InfoText: the header text
    dikText = 3,   // InfoText: the cell text of the current record
};

struct TMxGridCellStyle {
    QFont font;
    QColor text;
    QColor brush;
};

class TMxGrid;

// What the grid asks of its owner, one question a member: the same
// answers OnGetInfo gives, for an owner that is easier tested with a fake.
// col counts the owner's Columns from 0; the grid asks only for its own
// columns, with its dataset on the record shown when it asks a cell text.
class TMxGridSource {
public:
    virtual ~TMxGridSource() = default;
    virtual int ColumnWidth(const TMxGrid& grid, int col) const = 0;
    // style comes filled with the grid's own font and colours.
    virtual void CellStyle(const TMxGrid& grid, int col, TMxGridCellStyle& style) const = 0;
    virtual QString HeaderText(const TMxGrid& grid, int col) const = 0;
    virtual QString CellText(const TMxGrid& grid, int col) const = 0;
};

class TMxGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    using TGetMxGridInfoEvent = std::function<void(TMxGrid& sender, int col, TMxGridDrawInfoKind kind)>;

    explicit TMxGrid(QWidget* parent = nullptr);
    ~TMxGrid() override;

    // The owner's callback and where it answers.
    TGetMxGridInfoEvent OnGetInfo;
    // Makes source answer through OnGetInfo (none clears the callback);
    // the source must outlive the grid or be cleared first.
    void SetSource(const TMxGridSource* source);
    int InfoWidth = 0;
    QString InfoText;
    TMxGridCellStyle InfoStyle;

    // The owner's column objects; call SetDataSet (or UpdateColumnWidths
    // for widths alone) after changing them.
    QList<TMxItem*> Columns;

    int IndicatorWidth() const { return m_indicatorWidth; }
    void SetIndicatorWidth(int value);
    bool ShowHeaders() const { return m_headerRows == 1; }
    void SetShowHeaders(bool value);

    // Binds a dataset (none unbinds): the count becomes unknown, the
    // columns are built again, the dataset goes to its first record.
    void SetDataSet(TIMxDataset* dataset);
    TIMxDataset* DataSet() const { return m_records.Dataset(); }
    // last: the last record's index, or -1 for unknown. The cursor goes
    // back to the first record.
    void SetRecordCount(int last);
    // Asks each column's width again.
    void UpdateColumnWidths();

    // The last record's index: -1 while unknown (and for an empty result).
    int LastRecord() const { return m_records.Count() < 0 ? -1 : m_records.Count() - 1; }
    // The number of records: -1 while unknown.
    int RecordCount() const { return m_records.Count(); }
    const TGridRecords& Records() const { return m_records; }

    // Rows and columns as the grid counts them: header rows first, the
    // indicator column first.
    int RowCount() const { return m_rowCount; }
    int HeaderRows() const { return m_headerRows; }
    int ColCount() const { return int(m_colWidths.size()); }
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int DefaultRowHeight() const;
    // The current row (row selection), and the first data row shown.
    int Row() const { return m_row; }
    void SetRow(int row);
    int TopRow() const;
    void SetTopRow(int row);
    // Rows that fit wholly in the view, header rows not counted.
    int VisibleRowCount() const;
    // Where a cell lies in the viewport (empty when not shown).
    QRect CellRect(int col, int row) const;

signals:
    // After every change of the record count.
    void OnRecordCountChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuildColumns();
    void askInfo(int col, TMxGridDrawInfoKind kind);
    void paintCells(class QPainter& p);
    void paintCell(QPainter& p, int col, int row, const QRect& rect);
    void moveTo(int record);
    void countChanged();
    void updateRowCount();
    void updateScrollBar();
    void ensureVisible(int row);
    void fail(std::exception_ptr error);
    int colLeft(int col) const;
    int rowTop(int row) const;
    int rowAt(int y) const;
    int resizeHandleAt(const QPoint& pos) const;
    TMxGridCellStyle defaultStyle() const;

    TGridRecords m_records;
    int m_indicatorWidth = 36;
    int m_headerRows = 0;
    int m_rowCount = 1;
    int m_row = 0;
    QList<int> m_colWidths{34};
    bool m_failed = false;
    int m_resizing = -1; // column being resized on the header, or -1
    int m_resizeStartX = 0;
    int m_resizeStartWidth = 0;
};

} // namespace mx::ui
