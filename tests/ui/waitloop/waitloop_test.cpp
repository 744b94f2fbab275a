// While the program waits for the report runtime, its windows keep
// answering: input the window system queued meanwhile reaches them.

#include "engine/reportlink/uidispatcher.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

// The platform's queue of input events, which the window system fills as
// the user types; the test puts a key there as the platform plugin would.
class QWindowSystemInterface {
public:
    class AsynchronousDelivery;
    template <typename Delivery>
    static bool handleKeyEvent(QWindow* window, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
        const QString& text = QString(), bool autorepeat = false, ushort count = 1);
};

namespace {

int argc = 1;
char arg0[] = "test";
char* argv[] = {arg0, nullptr};

QApplication& app()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

// Notes the keys it gets, and makes the runtime's socket readable at the
// first, so that the wait ends as soon as the key came through.
class KeyWidget : public QWidget {
public:
    explicit KeyWidget(int wake) : m_wake(wake) {}
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        keys << e->key();
        if (keys.size() == 1)
            (void)::write(m_wake, "k", 1);
    }

private:
    int m_wake;
};

} // namespace

TEST(ReportRuntimeWait, KeysTypedWhileTheProgramWaitsReachTheWindow)
{
    app();
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    KeyWidget widget(fds[1]);
    widget.setFocusPolicy(Qt::StrongFocus);
    widget.resize(200, 100);
    widget.show();
    widget.activateWindow();
    widget.setFocus();
    QCoreApplication::processEvents();
    ASSERT_NE(widget.windowHandle(), nullptr);

    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        widget.windowHandle(), QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    // The runtime never answers here but for the widget's word: a wait that
    // holds user input back runs to its end with the key still queued.
    const bool ending = mx::UiDispatcher().WaitLoop(fds[0], 5000);
    EXPECT_FALSE(ending);
    EXPECT_EQ(widget.keys, QList<int> {Qt::Key_A}) << "the key typed during the wait was answered during it";
    ::close(fds[0]);
    ::close(fds[1]);
}
