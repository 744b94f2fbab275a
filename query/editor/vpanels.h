#pragma once
// The panel of a visual entity or field of the step editor (vitems.h): it
// paints itself and, when its item is selected, a focus rectangle around
// the item's caption or name; presses, double clicks and drops on it go to
// its owner and the step editor, which hold the rules.

#include "vitems.h"

#include "ui/controls/dragmanager.h"
#include "ui/controls/nrpanel.h"

namespace mx::ui {

class TVPanel : public TNRPanel, public TDragTarget {
    Q_OBJECT
public:
    TVPanel(TVPanelOwner* owner, QWidget* parent);
    TVPanelOwner* Owner() const { return m_owner; }
    void Forget() { m_owner = nullptr; }

    // Another panel dragged over this one: the step editor says whether
    // the two exchange, and a drop exchanges them.
    bool DragOver(const TDragInfo& drag, const QPoint& pos, TDragState state) override;
    void DragDrop(const TDragInfo& drag, const QPoint& pos) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TVPanelOwner* m_owner;
};

} // namespace mx::ui
