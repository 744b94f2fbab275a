#include "picturelistbox.h"

#include "engine/errors/errorhandler.h"

#include <QEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace mx::ui {
namespace {

// Draws the lines of either list: the line's own text and picture
// come from the list, the background from the style.
class TPictureItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using TLineOf = std::function<TPictureLine(int row)>;
    TPictureItemDelegate(QAbstractItemView* view, TLineOf lineOf, std::function<int()> height, std::function<bool()> stretch)
        : QStyledItemDelegate(view), m_view(view), m_lineOf(std::move(lineOf)), m_height(std::move(height)),
          m_stretch(std::move(stretch))
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(m_height());
        return s;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        Guard(m_view, [&] {
            // The background (selection included) as the style draws it.
            QStyleOptionViewItem bg = option;
            initStyleOption(&bg, index);
            bg.text.clear();
            bg.icon = QIcon();
            QStyle* style = m_view->style();
            style->drawPrimitive(QStyle::PE_PanelItemViewItem, &bg, painter, m_view);
            const TPictureLine line = m_lineOf(index.row());
            painter->save();
            painter->setFont(option.font);
            painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
            DrawPictureItem(*painter, option.rect, line.graphic, m_height(), line.offset, m_stretch(), line.text);
            painter->restore();
        });
    }

private:
    QAbstractItemView* m_view;
    TLineOf m_lineOf;
    std::function<int()> m_height;
    std::function<bool()> m_stretch;
};

} // namespace

TPictureItemLayout PictureItemLayout(const QRect& rect, const QSize& pictureSize, int size, int offset, bool stretch)
{
    TPictureItemLayout l;
    if (stretch) {
        l.picture = QRect(rect.left() + offset, rect.top(), size, size);
        l.text = QPoint(rect.left() + offset + size + 2, rect.top());
    } else {
        l.picture = QRect(QPoint(rect.left() + offset, rect.top() + (rect.height() - pictureSize.height()) / 2), pictureSize);
        l.text = QPoint(rect.left() + pictureSize.width() + 2, rect.top());
    }
    return l;
}

void DrawPictureItem(QPainter& painter, const QRect& rect, const QPixmap& graphic, int size, int offset, bool stretch,
    const QString& text)
{
    const QSize pictureSize = graphic.isNull() ? QSize(0, 0) : graphic.deviceIndependentSize().toSize();
    const TPictureItemLayout l = PictureItemLayout(rect, pictureSize, size, offset, stretch);
    painter.save();
    painter.setClipRect(rect);
    if (!graphic.isNull()) {
        if (stretch)
            painter.drawPixmap(l.picture, graphic);
        else
            painter.drawPixmap(l.picture.topLeft(), graphic);
    }
    const QRect textRect(l.text, QPoint(rect.right(), rect.bottom()));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

TPictureListBox::TPictureListBox(QWidget* parent) : QListWidget(parent)
{
    setUniformItemSizes(true);
    setItemDelegate(new TPictureItemDelegate(
        this, [this](int row) { return LineOf(row); }, [this] { return m_itemHeight; }, [this] { return m_stretch; }));
    m_itemHeight = std::max(16, fontMetrics().height() + 2);
}

void TPictureListBox::SetPicture(const QPixmap& picture)
{
    m_picture = picture;
    viewport()->update();
}

void TPictureListBox::SetStretch(bool value)
{
    if (value != m_stretch) {
        m_stretch = value;
        viewport()->update();
    }
}

void TPictureListBox::SetItemHeight(int value)
{
    m_itemHeightSet = true;
    m_itemHeight = std::max(1, value);
    // Uniform sizes are cached by the view: make it measure again.
    setUniformItemSizes(false);
    setUniformItemSizes(true);
    doItemsLayout();
}

void TPictureListBox::SetHeader(QWidget* header)
{
    m_header = header;
    viewport()->update();
}

void TPictureListBox::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_itemHeightSet) {
        m_itemHeight = std::max(16, fontMetrics().height() + 2);
        doItemsLayout();
    }
}

TPictureListBox::TLine TPictureListBox::LineOf(int index)
{
    TLine line;
    line.graphic = GetGraphic();
    if (QListWidgetItem* it = item(index))
        line.text = it->text();
    if (OnDrawPicture)
        OnDrawPicture(*this, index, line.offset, line.graphic, line.text);
    return line;
}

TPictureListView::TPictureListView(QWidget* parent) : QListView(parent)
{
    setUniformItemSizes(true);
    setItemDelegate(new TPictureItemDelegate(
        this, [this](int row) { return LineOf(row); }, [this] { return m_itemHeight; }, [this] { return m_stretch; }));
    m_itemHeight = std::max(16, fontMetrics().height() + 2);
}

void TPictureListView::SetPicture(const QPixmap& picture)
{
    m_picture = picture;
    viewport()->update();
}

void TPictureListView::changeEvent(QEvent* event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_itemHeight = std::max(16, fontMetrics().height() + 2);
        doItemsLayout();
    }
}

TPictureLine TPictureListView::LineOf(int row) const
{
    TPictureLine line;
    line.graphic = m_picture;
    if (model() && row >= 0 && row < model()->rowCount(rootIndex()))
        line.text = model()->index(row, 0, rootIndex()).data(Qt::DisplayRole).toString();
    return line;
}

} // namespace mx::ui

#include "picturelistbox.moc"
