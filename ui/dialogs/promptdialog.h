#pragma once
// The prompt fmPromptString: one value of a kind ("A" any text, "D" a
// date, "N" a number) with a maximum length. OK is enabled while the edit
// holds something; a value not of the kind is reported and the dialog
// stays open.

#include <QDialog>

#include <memory>

namespace mx {
class TStrings;
}

namespace mx::ui {

class TfmPromptString : public QDialog {
    Q_OBJECT

public:
    explicit TfmPromptString(QWidget* parent = nullptr);
    ~TfmPromptString() override;

    // The kind's letter and the edit's maximum length of this use.
    void Setup(const QString& caption, const QString& prompt, int maxLength, const QString& value, const QString& kind);
    QString Value() const;

    // Checks the value by kind first: a bad value is reported through the
    // error handler and the dialog stays open.
    void accept() override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    void edChange();
    QString m_kind;
};

// True on OK, the value then the text typed (and added to list when one
// is given). Without a display nobody can answer: EMxAbort at once.
bool PromptString(const QString& caption, const QString& prompt, TStrings* list, int maxLength, QString& value,
    const QString& unused, const QString& kind);
// Any text of at most 255 characters.
bool PromptStringSimple(const QString& caption, const QString& prompt, QString& value);

} // namespace mx::ui
