#pragma once
// The parts of a diagram panel, for the diagram's own sources.

#include "graph.h"

namespace mx::admin {

// One part of a panel: the mode button, the title or the field list. Parts
// paint from their panel's state; the graph tells them apart by name when
// the mouse presses one.
class TGraphPanelPart : public QGraphicsObject {
public:
    enum TKind { ModeButton, Title, FieldList };
    TGraphPanelPart(TGraphTable* panel, TKind kind, const char* name)
        : QGraphicsObject(panel), m_panel(panel), m_kind(kind)
    {
        setObjectName(QString::fromLatin1(name));
    }
    TKind Kind() const { return m_kind; }
    void SetRect(const QRect& rect)
    {
        if (rect == m_rect)
            return update();
        prepareGeometryChange();
        m_rect = rect;
    }
    QRectF boundingRect() const override { return m_rect; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    TGraphTable* m_panel;
    TKind m_kind;
    QRect m_rect;
};

} // namespace mx::admin
