#pragma once
// The window of an unexpected error: the user goes on (Ignorer) or ends
// the program (Abandon); the details are shown on request.

#include <QDialog>

class QLabel;
class QPushButton;

namespace mx::ui {

class TfmErrorHandler2 : public QDialog {
    Q_OBJECT
public:
    explicit TfmErrorHandler2(QWidget* parent = nullptr);

    void SetDetails(const QString& details);
    // Shows the window modally; mx::mrIgnore or mx::mrAbort (closing the
    // window otherwise counts as Ignore).
    int Run();
    // Creates, fills, shows and frees the window.
    static int Show(const QString& caption, const QString& details);

    QLabel* laUserInfo;
    QLabel* im;
    QLabel* laDetailInfo;
    QPushButton* bbIgnore;
    QPushButton* bbAbort;
    QPushButton* bbDetail;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void bbDetailClick();
    void FormResize();
};

} // namespace mx::ui
