#include "application.h"

#include "engine/errors/errorhandler.h"
#include "ui/services/helpsystem.h"

namespace mx::ui {

TMxApplication::TMxApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    InstallHelpKey();
}

bool TMxApplication::notify(QObject* receiver, QEvent* event)
{
    std::exception_ptr caught;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        caught = std::current_exception();
    }
    // Handled outside the catch block: the handler may open a window.
    HandleException(receiver, caught);
    return false;
}

} // namespace mx::ui
