#pragma once
// The document runner: opens a document or starts a program through the
// desktop; when the file is missing, fmRunDoc lets the user find it or
// open its download page first.

#include <QDialog>

#include <memory>

namespace mx::ui {

class TfmRunDoc : public QDialog {
    Q_OBJECT

public:
    explicit TfmRunDoc(QWidget* parent = nullptr);
    ~TfmRunDoc() override;

    // The document and the address of its download page.
    void Setup(const QString& fullName, const QString& downloadAddress);
    const QString& FullName() const { return m_fullName; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    void btBrowseClick();
    void btDownloadClick();
    QString m_fullName;
    QString m_download;
};

// The download address: pattern with its "%s" replaced by the file name,
// percent-encoded.
QString DownloadAddress(const QString& pattern, const QString& fileName);

// Opens fullName (unless noRun); a missing file is asked for first. The
// path of the document opened (or that would be), empty when cancelled.
QString RunDocument(const QString& fullName, const QString& downloadPattern, bool noRun = false);

} // namespace mx::ui
