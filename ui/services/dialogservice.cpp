#include "dialogservice.h"

#include <QUrl>

namespace mx::ui {

QString TUiService::OpenFileName(QWidget*, const TFileRequest&)
{
    return {};
}

QStringList TUiService::OpenFileNames(QWidget*, const TFileRequest&)
{
    return {};
}

QString TUiService::SaveFileName(QWidget*, const TFileRequest&)
{
    return {};
}

TSaveChoice TUiService::SaveFileAs(QWidget* parent, const TFileRequest& request)
{
    return {SaveFileName(parent, request), -1};
}

QString TUiService::BrowseDirectory(QWidget*, const QString&, const QString&)
{
    return {};
}

bool TUiService::PickFont(QWidget*, QFont&)
{
    return false;
}

bool TUiService::PrintDialog(QWidget*, QPrinter&)
{
    return false;
}

bool TUiService::PrinterSetup(QWidget*, QPrinter&)
{
    return false;
}

bool TUiService::OpenUrl(const QUrl& url)
{
    return ShellOpen(url.toString());
}

TUiService& UiService()
{
    if (auto* s = dynamic_cast<TUiService*>(&UserService()))
        return *s;
    static TUiService headless;
    return headless;
}

} // namespace mx::ui
