#pragma once
// Drag and drop between the panels of one window, in process.
//
// A source calls BeginDrag from its mouse press (or from a move with the
// button held), with what it drags as identifiers (model file, entity Id,
// field Id...), never pointers. Without Immediate the drag starts only once
// the mouse has moved QApplication::startDragDistance() from where it
// began; a release before that is a plain click and ends nothing but the
// pending drag. While the drag runs, each mouse move finds the widget under
// the mouse in the source's window and walks up from it to the first one
// that is a TDragTarget (by inheritance, or registered with SetTarget),
// and asks it "may I drop here?" (DragOver; the cursor tells the answer).
// The release drops on a target that said yes (DragDrop); Esc, or
// CancelDrag, ends the drag without a drop. The source learns the end
// through the signal DragEnded.
//
// Nothing here uses the platform's drag loop (QDrag): mouse events reach
// the manager through an event filter on the application while a drag is
// pending or running, so tests drive it with plain mouse events.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace mx::ui {

enum class TDragState { dsDragEnter, dsDragMove, dsDragLeave };

struct TDragInfo {
    QWidget* source = nullptr;
    QVariant data; // identifiers of what is dragged
};

// What a widget that accepts drops implements. Points are in the target
// widget's coordinates.
class TDragTarget {
public:
    virtual ~TDragTarget() = default;
    // May the drag be dropped at pos? Called on entering, on every move,
    // and once with dsDragLeave when the mouse leaves (the answer is then
    // ignored).
    virtual bool DragOver(const TDragInfo& drag, const QPoint& pos, TDragState state) = 0;
    // The drop: call the engine; the panels follow through their observers.
    virtual void DragDrop(const TDragInfo& drag, const QPoint& pos) = 0;
};

class TDragManager : public QObject {
    Q_OBJECT
public:
    // The manager of the process.
    static TDragManager& Instance();

    // Starts a drag from source (at globalPos, the mouse's position when
    // none is given). Replaces a drag under way, which is cancelled.
    void BeginDrag(QWidget* source, const QVariant& data, bool immediate, const QPoint& globalPos);
    void BeginDrag(QWidget* source, const QVariant& data, bool immediate);
    // Ends a pending or running drag without dropping.
    void CancelDrag();

    // A drag began and has passed the threshold.
    bool Dragging() const { return m_state == Running; }
    // A drag began and waits for the threshold.
    bool Pending() const { return m_state == Waiting; }
    const TDragInfo& Drag() const { return m_drag; }
    // The target under the mouse and its last answer.
    QWidget* Target() const { return m_target; }
    bool Accepted() const { return m_accepted; }

    // Makes target answer for widget (and the widgets inside it), for
    // widgets that do not implement TDragTarget themselves. None removes.
    void SetTarget(QWidget* widget, TDragTarget* target);

signals:
    // The threshold was passed: the drag runs.
    void DragStarted(QWidget* source);
    // The drag ended: dropped on target at pos (target coordinates), or
    // not dropped (target none).
    void DragEnded(QWidget* source, QWidget* target, QPoint pos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum State { Idle, Waiting, Running };
    TDragManager() = default;
    void moveTo(const QPoint& globalPos);
    void dropAt(const QPoint& globalPos);
    void finish(QWidget* target, const QPoint& pos);
    void leaveTarget();
    QWidget* targetAt(const QPoint& globalPos, TDragTarget** answer) const;
    TDragTarget* targetOf(QWidget* widget) const;
    void setCursor(bool accepted);

    State m_state = Idle;
    TDragInfo m_drag;
    QPointer<QWidget> m_source;
    QPoint m_start;
    QPoint m_lastPos;
    QPointer<QWidget> m_target;
    TDragTarget* m_targetAnswer = nullptr;
    bool m_accepted = false;
    bool m_cursorSet = false;
    QList<QPair<QPointer<QWidget>, TDragTarget*>> m_registered;
};

} // namespace mx::ui
