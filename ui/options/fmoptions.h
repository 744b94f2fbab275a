#pragma once
// The options dialog (fmOptions): the folders of private queries and data
// models, the recent-file lists' size, the interface language, and the
// language and version of the word processor and the spreadsheet (their
// pages are shown only when the destination types hold "Word" or
// "Excel"). OK stores through TOptionSettings; Cancel stores nothing.

#include "optionsettings.h"

#include <QDialog>

#include <memory>

class QLineEdit;

namespace mx {
class TDestinationList;
}

namespace mx::ui {

class TfmOptions : public QDialog {
    Q_OBJECT
public:
    // Filled from settings; pages chosen from types.
    TfmOptions(TOptionSettings& settings, const TDestinationList* types, QWidget* parent = nullptr);
    ~TfmOptions() override;

    // What the controls show, and setting them.
    TOptionValues Values() const;
    void SetValues(const TOptionValues& values);

private:
    struct TUi;
    void browse(QLineEdit* edit, const QString& caption);
    void ok();

    std::unique_ptr<TUi> m_ui;
    TOptionSettings& m_settings;
};

// Shows the dialog over the user's settings file and the process's
// recent-file lists; true when OK stored the choices.
bool ShowOptions(QWidget* parent = nullptr);

} // namespace mx::ui
