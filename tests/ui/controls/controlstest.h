#pragma once
// What the tests of the shared controls share: mouse and key events sent
// with explicit buttons, and a fixture with the scripted service and the
// error handler installed.

#include "tests/ui/uitest.h"

#include "tests/support/ui/scriptedservice.h"
#include "tests/support/testsupport.h"

#include "engine/errors/errorhandler.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace mxtest {

// Sends one mouse event to w at pos (w's coordinates), with the buttons
// held after it.
inline void Mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, modifiers);
    QCoreApplication::sendEvent(w, &e);
}
inline void Press(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    Mouse(w, QEvent::MouseButtonPress, pos, button, button);
}
inline void MoveHeld(QWidget* w, QPoint pos, Qt::MouseButtons held = Qt::LeftButton)
{
    Mouse(w, QEvent::MouseMove, pos, Qt::NoButton, held);
}
inline void Release(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    Mouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}
inline void Key(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(w, &release);
}

// Lets the timers of zero delay run (reports posted after an event).
inline void RunPosted()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() { mx::InstallExceptionHandler(); }
    ~ControlsTest() override { mx::RemoveExceptionHandler(); }
    mx::ui::test::ScopedScriptedUi ui;
};

} // namespace mxtest
