#pragma once
// The modal runner of window tests: each dialog run through RunModal takes
// the next queued step. The dialog is shown (offscreen), the step's fill
// function works it as a user would (typing, clicking, keys), and then, if
// the dialog has not closed itself, the step accepts or rejects it, all
// synchronously. A dialog that accept() left open (a refused Ok) is
// rejected and counted in stayedOpen. With no step queued a dialog is
// rejected and counted in unexpected. Nothing waits, nothing polls.

#include "ui/services/modalrunner.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

namespace mx::ui::test {

class TScriptedModal {
public:
    enum class TEnd { Accept, Reject, AsFilled };
    struct TStep {
        std::function<void(QDialog&)> fill;
        TEnd end = TEnd::Accept;
    };

    TScriptedModal();
    ~TScriptedModal();
    TScriptedModal(const TScriptedModal&) = delete;
    TScriptedModal& operator=(const TScriptedModal&) = delete;

    // Queues a step: fill, then accept().
    TScriptedModal& Accept(std::function<void(QDialog&)> fill = {});
    // Queues a step: fill, then reject().
    TScriptedModal& Reject(std::function<void(QDialog&)> fill = {});
    // Queues a step whose fill closes the dialog itself (a button, done()).
    TScriptedModal& AsFilled(std::function<void(QDialog&)> fill);

    // The object names of the dialogs run, in order.
    QStringList shown;
    int stayedOpen = 0;
    int unexpected = 0;
    int pending() const { return int(m_steps.size()); }

private:
    int run(QDialog& dialog);
    QList<TStep> m_steps;
    ScopedModalRunner m_scope;
};

// The child of the dialog with that object name and type; fails the test
// (and returns none) when there is none.
template <class W>
W* Child(QWidget& parent, const char* name);

} // namespace mx::ui::test

#include <gtest/gtest.h>

template <class W>
W* mx::ui::test::Child(QWidget& parent, const char* name)
{
    W* w = parent.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << "no child " << name << " in " << parent.objectName().toStdString();
    return w;
}
