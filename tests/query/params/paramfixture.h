#pragma once
// What the tests of the parameter dialogs share: the sample model of the
// engine's tests with a fake driver whose field values the test gives,
// and mouse events sent as a user's.

#include "tests/support/samplemodel.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/ui/uitest.h"

#include "engine/core/hookslot.h"
#include "engine/model/datamodel.h"
#include "engine/model/modelhooks.h"

#include <QApplication>
#include <QMouseEvent>

#include <memory>
#include <optional>

namespace paramtest {

// The runner that answers the dialogs of these tests, one for the test
// program: a test queues one step per dialog it opens.
inline mx::ui::test::TScriptedModal& Modal()
{
    static mx::ui::test::TScriptedModal modal;
    return modal;
}

class ListCursor : public mx::TFieldValueCursor {
public:
    explicit ListCursor(QStringList rows) : m_rows(std::move(rows)) {}
    void First() override { m_pos = 0; }
    bool Eof() const override { return m_pos >= m_rows.size(); }
    QString FirstColumn() const override { return m_rows[m_pos]; }
    void Next() override { ++m_pos; }

private:
    QStringList m_rows;
    qsizetype m_pos = -1;
};

// The sample model over a fake driver: every request is recorded, the
// answer is rows.
class FakeDriver {
public:
    FakeDriver()
        : model(mxtest::MakeSampleModel())
        , m_dialects(mx::ModelDatasourceHook,
              [](const QString&, mx::TSQLSyntaxProperties& s) {
                  s.ConstantQuoter = QStringLiteral("'");
                  return true;
              })
        , m_driver(mx::ModelFieldValuesHook, [this](const mx::TFieldValuesRequest& r) -> std::unique_ptr<mx::TFieldValueCursor> {
            requests << r.TableName + u'.' + r.FieldName;
            return std::make_unique<ListCursor>(rows);
        })
    {
    }
    ~FakeDriver() { model->Free(); }

    mx::TMxDataModel* model;
    QStringList rows;
    QStringList requests;

private:
    mx::ScopedHook<decltype(mx::ModelDatasourceHook)> m_dialects;
    mx::ScopedHook<decltype(mx::ModelFieldValuesHook)> m_driver;
};

inline QStringList Numbered(int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << QStringLiteral("V%1").arg(i, 4, 10, QLatin1Char('0'));
    return rows;
}

inline void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
    Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, modifiers);
    QApplication::sendEvent(w, &e);
}

inline void Press(QWidget* w, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    Mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, modifiers);
}
inline void MoveTo(QWidget* w, QPoint at)
{
    Mouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
inline void Release(QWidget* w, QPoint at)
{
    Mouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

} // namespace paramtest
