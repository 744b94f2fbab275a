#pragma once
// Hints written "short|long": the short part is a widget's tool tip, the
// long part its status text, which the window that takes the status texts
// over shows in its status panel. A long part beginning with "*" is meant
// for the large buttons' captions and never reaches the status panel.

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;

namespace mx::ui {

// The part before the first "|" (the whole text when there is none).
QString GetShortHint(const QString& hint);
// The part after the first "|" (the whole text when there is none).
QString GetLongHint(const QString& hint);

// Sets the tool tip and the status text of a widget or an action.
void SetHint(QObject* target, const QString& hint);
// Once a form is translated: every widget and action below root whose tool
// tip holds "|" gets its short part as tool tip and its long part as
// status text.
void ApplyHints(QObject* root);

// Shows the status texts of the widgets of a window in its status panel:
// " " + the text, unless it begins with "*". Owned by the window.
class TStatusHints : public QObject {
    Q_OBJECT

public:
    TStatusHints(QWidget* window, QLabel* panel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QLabel> m_panel;
};

} // namespace mx::ui
