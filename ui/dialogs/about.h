#pragma once
// The about box fmAbout: the program's version and date, the plug-in
// libraries loaded (name, version, description) and the maker's links.

#include <QDialog>

#include <memory>

namespace mx::ui {

// The maker's addresses, in one place.
struct TMakerAddresses {
    QString home;     // the maker's web page (laWebLink)
    QString product;  // the product's page (the program icon)
    QString download; // the download pattern of missing documents ("%s": the file)
};
const TMakerAddresses& MakerAddresses();

// One loaded library as the about box lists it.
struct TLibraryInfo {
    QString name, version, description;
};
// The database driver when it is built in, then the driver libraries
// loaded, in load order.
QList<TLibraryInfo> LoadedLibraries();
// The memo's lines of the libraries: "%s v%s", the description, "".
QStringList LibraryLines(const QList<TLibraryInfo>& libraries);

class TfmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfmAbout(QWidget* parent = nullptr);
    ~TfmAbout() override;

    // Fills the memo and the version and date.
    void Fill(const QList<TLibraryInfo>& libraries);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
};

// Shows the box over the libraries loaded, modally.
void ShowAboutBox();

} // namespace mx::ui
