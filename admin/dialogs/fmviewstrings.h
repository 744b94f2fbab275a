#pragma once
// The read-only text viewer (the model's analysis report): "&Vider" closes
// with 2, so that the caller clears what it showed; "&Fermer", Escape and
// the title bar close with 1 and clear nothing; "&Enregistrer..." writes
// the lines to a text file.

#include <QDialog>
#include <QStringList>

#include <memory>

namespace mx::admin {

class TfmViewStrings : public QDialog {
    Q_OBJECT

public:
    enum { mrClose = 1, mrClear = 2 };

    TfmViewStrings(const QString& caption, const QStringList& lines, QWidget* parent = nullptr);
    ~TfmViewStrings() override;

    // Asks for a file name and writes the lines there (nothing when the
    // user cancels). A file that cannot be written raises EInOutError and
    // an existing one is left whole.
    void SaveLines();

    // Closing without "&Vider" is "&Fermer".
    void reject() override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    QStringList m_lines;
};

// Shows the lines; 1 for "&Fermer" (and any other close), 2 for "&Vider".
int ViewStrings(const QString& caption, const QStringList& lines);

} // namespace mx::admin
