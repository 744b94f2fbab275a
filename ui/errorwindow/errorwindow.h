#pragma once
// The window of an unexpected error: the user goes on (Ignorer) or ends
// the program (Abandon); the details are shown on request. Its parts are
// found by their names: laUserInfo, im, laDetailInfo, bbIgnore, bbAbort,
// bbDetail.

#include <QDialog>

#include <memory>

namespace mx::ui {

class TfmErrorHandler2 : public QDialog {
    Q_OBJECT
public:
    explicit TfmErrorHandler2(QWidget* parent = nullptr);
    ~TfmErrorHandler2() override;

    void SetDetails(const QString& details);
    // Shows the window modally; mx::mrIgnore or mx::mrAbort (closing the
    // window otherwise counts as Ignore).
    int Run();
    // Creates, fills, shows and frees the window.
    static int Show(const QString& caption, const QString& details);

private:
    struct Ui;
    void bbDetailClick();

    std::unique_ptr<Ui> m_ui;
};

} // namespace mx::ui
