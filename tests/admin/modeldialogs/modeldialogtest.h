#pragma once
// What the tests of the model editors share: the administration dialogs'
// fixture, and a few gestures on the widgets found by name.

#include "tests/admin/dialogs/admintest.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace admintest {

using mx::ui::test::Child;

// Clicks the row of the view whose text is text (fails when none is).
inline void ClickRow(QDialog& d, const char* view, const QString& text)
{
    auto* lb = Child<QListView>(d, view);
    const QAbstractItemModel* m = lb->model();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->index(r, 0).data().toString() == text) {
            lb->scrollTo(m->index(r, 0));
            QTest::mouseClick(lb->viewport(), Qt::LeftButton, {}, lb->visualRect(m->index(r, 0)).center());
            return;
        }
    ADD_FAILURE() << "no row " << text.toStdString() << " in " << view;
}

inline void DoubleClickRow(QDialog& d, const char* view, const QString& text)
{
    ClickRow(d, view, text);
    auto* lb = Child<QListView>(d, view);
    const QRect r = lb->visualRect(lb->currentIndex());
    QTest::mouseDClick(lb->viewport(), Qt::LeftButton, {}, r.center());
}

// Replaces the text of a line edit as typing would.
inline void Type(QDialog& d, const char* edit, const QString& text)
{
    auto* e = Child<QLineEdit>(d, edit);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    // Keys for the ASCII letters; the others are typed as the input method
    // would give them.
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(e, char(c.unicode()));
        else
            e->insert(QString(c));
    }
}

inline void Click(QDialog& d, const char* button)
{
    if (auto* b = Child<QPushButton>(d, button)) {
        EXPECT_TRUE(b->isEnabled()) << button << " is disabled";
        b->click();
    }
}

inline bool Enabled(QDialog& d, const char* widget)
{
    QWidget* w = Child<QWidget>(d, widget);
    return w && w->isEnabled();
}

// The rows of a view.
inline QStringList RowsOf(QDialog& d, const char* view) { return Rows(Child<QAbstractItemView>(d, view)); }

// A pick list step: the rows named are chosen, then Ok.
inline std::function<void(QDialog&)> Pick(QStringList names)
{
    return [names](QDialog& d) { SelectRows(Child<QListView>(d, "lbItems"), names); };
}

} // namespace admintest
