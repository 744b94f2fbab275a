#pragma once
// Docking of child controls: each widget of the layout has a side (top,
// bottom, left, right, client, or none) and an extent (its height when
// docked top or bottom, its width when docked left or right). The layout
// places them in this order: every top widget, from the top down, in the
// order they joined; then the bottom ones, from the bottom up; then left,
// then right, each taking the height that is left; the client widgets fill
// what remains. Widgets docked nowhere (alNone) keep the geometry their
// owner gives them. Hidden widgets take no room.
//
// Windows built on panels put a TDockLayout on the parent and add their
// children to it; a TMxSplitter docked between two of them resizes its
// neighbour by changing the neighbour's extent.

#include <QLayout>
#include <QList>

namespace mx::ui {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TDockLayout : public QLayout {
    Q_OBJECT
public:
    // Installs itself on parent when one is given.
    explicit TDockLayout(QWidget* parent = nullptr);
    ~TDockLayout() override;

    // Adds a widget docked at a side. Its extent is its current height or
    // width when it was resized by its owner, else its size hint's.
    void AddWidget(QWidget* widget, TAlign align);
    void AddWidget(QWidget* widget, TAlign align, int extent);

    // The layout of a widget's parent, when that parent has one.
    static TDockLayout* Of(const QWidget* parent);

    bool Contains(const QWidget* widget) const { return indexOf(widget) >= 0; }
    TAlign Align(const QWidget* widget) const;
    void SetAlign(QWidget* widget, TAlign align);
    int Extent(const QWidget* widget) const;
    // Sets the extent (never below 0) and places the widgets again at once.
    void SetExtent(QWidget* widget, int extent);
    // The widgets of the layout, in the order they joined.
    QList<QWidget*> Widgets() const;

    // Places every widget now (normally done when the parent is resized).
    void Relayout();

    // QLayout
    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    using QLayout::indexOf;
    int indexOf(const QWidget* widget) const override;
    void setGeometry(const QRect& rect) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal | Qt::Vertical; }

private:
    struct Entry {
        QLayoutItem* item;
        TAlign align;
        int extent;
    };
    QSize totalSize(bool hint) const;
    QList<Entry> m_entries;
};

} // namespace mx::ui
