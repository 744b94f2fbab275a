#pragma once
// The application object of both programs. Exceptions must not travel
// through Qt's event dispatch: event handlers and slots hand theirs to the
// error handler through mx::Guard, and notify catches whatever still gets
// through, as the last resort.

#include <QApplication>

namespace mx::ui {

class TMxApplication : public QApplication {
    Q_OBJECT
public:
    TMxApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace mx::ui
