#pragma once
// A list whose every line shows a picture before its text, with one fixed
// line height; the lists of fields, parameters, tables, users and sets of
// the dialogs. DrawPictureItem draws one such line; the data model
// diagram draws its field lines with it too.

#include <QListView>
#include <QListWidget>
#include <QPixmap>

#include <functional>

namespace mx::ui {

// Where a line's picture and text go in rect: with stretch, the picture
// fills the square of side size at (left + offset, top) and the text
// starts at left + offset + size + 2; without, the picture keeps its own
// size at left + offset, centred in height (cut to the rectangle), and
// the text starts at left + picture width + 2 (the offset does not move
// it). The text's top is the rectangle's.
struct TPictureItemLayout {
    QRect picture;
    QPoint text;
};
TPictureItemLayout PictureItemLayout(const QRect& rect, const QSize& pictureSize, int size, int offset, bool stretch);

// Draws graphic and text into rect as PictureItemLayout places them, in
// the painter's current pen and font.
void DrawPictureItem(QPainter& painter, const QRect& rect, const QPixmap& graphic, int size, int offset, bool stretch,
    const QString& text);

// What a line draws: its picture, its text and the picture's offset.
struct TPictureLine {
    QPixmap graphic;
    QString text;
    int offset = 2;
};

enum class TPictureListBoxDrawStyle { isStandard, isTabSplit, isCustomSplit };

class TPictureListBox : public QListWidget {
    Q_OBJECT
public:
    // Lets the owner change, for item index, the picture's offset, the
    // picture and the text drawn.
    using TDrawPictureEvent = std::function<void(TPictureListBox& sender, int index, int& offset, QPixmap& graphic, QString& text)>;
    using TGetColTextEvent = std::function<void(int itemIndex, int col, QString& text)>;

    explicit TPictureListBox(QWidget* parent = nullptr);

    const QPixmap& Picture() const { return m_picture; }
    void SetPicture(const QPixmap& picture);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value);
    // The height of every line (at least the font's height).
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int value);

    TDrawPictureEvent OnDrawPicture;

    // Kept for the forms that set them; they take no part in drawing.
    QWidget* Header() const { return m_header; }
    void SetHeader(QWidget* header);
    TPictureListBoxDrawStyle Style() const { return m_style; }
    void SetStyle(TPictureListBoxDrawStyle style) { m_style = style; }
    TGetColTextEvent OnGetColText;

    // The picture drawn before every line: Picture.
    virtual QPixmap GetGraphic() const { return m_picture; }

    // What a line draws, after OnDrawPicture: used by the painting and by
    // whoever must know where a line's text lies.
    using TLine = TPictureLine;
    TLine LineOf(int index);

protected:
    void changeEvent(QEvent* event) override;

private:
    QPixmap m_picture;
    bool m_stretch = false;
    int m_itemHeight = 16;
    bool m_itemHeightSet = false;
    QWidget* m_header = nullptr;
    TPictureListBoxDrawStyle m_style = TPictureListBoxDrawStyle::isStandard;
};

// The same lines as a view over an item model: each row draws the
// picture before the row's display text. The lists over engine objects
// (steps, parameters) are these views over their item models.
class TPictureListView : public QListView {
    Q_OBJECT
public:
    explicit TPictureListView(QWidget* parent = nullptr);

    const QPixmap& Picture() const { return m_picture; }
    void SetPicture(const QPixmap& picture);
    bool Stretch() const { return m_stretch; }
    // The height of every line (at least the font's height).
    int ItemHeight() const { return m_itemHeight; }

    // What the row of the model draws.
    TPictureLine LineOf(int row) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    QPixmap m_picture;
    bool m_stretch = false;
    int m_itemHeight = 16;
};

} // namespace mx::ui
