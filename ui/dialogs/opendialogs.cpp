#include "opendialogs.h"

#include "ui/services/dialogservice.h"

#include "engine/core/file.h"
#include "engine/global/queryglobal.h"
#include "engine/settings/global.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace mx::ui {
namespace {

// "Requêtes (*.MQR)|*.MQR" in Qt's form, every pattern in both cases.
QString filterOf(const QString& description, const QString& extension)
{
    const QString upper = QStringLiteral("*") + extension.toUpper();
    const QString lower = QStringLiteral("*") + extension.toLower();
    QString text = description;
    text.replace(QRegularExpression(QStringLiteral("\\s*\\(.*\\)\\s*$")), QString());
    return (text.isEmpty() ? QString() : text + u' ') + u'(' + upper + u' ' + lower + u')';
}

QString selectFile(const QString& caption, const QString& filter, const QString& directory, int history,
    const QString& fileName, QWidget* parent)
{
    TFileRequest r;
    r.caption = caption;
    r.filters = {filter};
    r.directory = directory;
    r.fileName = fileName;
    r.history = history;
    r.helpContext = 2;
    return UiService().OpenFileName(parent, r);
}

QString setting(TConfigStr which)
{
    return AppGlobal() ? AppGlobal()->GetConfigStr(which) : QString();
}

// The folder of the document edited when it exists, else the folder set
// for the kind of file (the dialog itself falls back on the private query
// folder, then the home folder).
QString startIn(const QString& document, const QString& configured)
{
    const QFileInfo fi(document);
    return !document.isEmpty() && fi.absoluteDir().exists() ? fi.absolutePath() : configured;
}

} // namespace

QString SelectQueryFile(const QString& fileName, QWidget* parent, const QString& document)
{
    QString folder = QueryGlobal() ? QueryGlobal()->PrivateQueryPath() : QString();
    if (folder.isEmpty())
        folder = setting(csPrivateQueryPath);
    return selectFile(Translate(QStringLiteral("Ouvrir une requête")),
        filterOf(Translate(QStringLiteral("Requêtes (*.MQR)")), QStringLiteral(".MQR")), startIn(document, folder), 10,
        fileName, parent);
}

QString SelectDataModelFile(const QString& fileName, QWidget* parent, const QString& document)
{
    return selectFile(Translate(QStringLiteral("Ouvrir un modèle de données")),
        filterOf(Translate(QStringLiteral("Modèle de données (*.MDD)")), QStringLiteral(".MDD")),
        startIn(document, setting(csDMPath)), 11, fileName, parent);
}

QString LocalFileName(const QString& name)
{
    QString local = name;
    local.replace(u'\\', u'/');
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    local.remove(drive);
    return local;
}

QString FindFileIgnoringCase(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || name.isEmpty())
        return {};
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return dir.filePath(name);
    // The upper-cased name is a key of the search only: the file found is
    // named as it is on disk.
    const QString key = name.toUpper();
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden))
        if (entry.toUpper() == key)
            return dir.filePath(entry);
    return {};
}

bool LocateMissingFile(TMxFile* /*file*/, QString& fileName)
{
    const TLocateRecord& record = LocateRecord();
    if (!record.enabled)
        return false;
    const QString local = LocalFileName(fileName);
    const QFileInfo missing(local);
    const QString bare = missing.fileName();
    // Beside the file that names it, then where it was.
    QStringList folders;
    if (record.useAlternativeDir && !record.alternativeDir.isEmpty())
        folders << record.alternativeDir;
    if (local.contains(u'/'))
        folders << missing.path();
    for (const QString& folder : folders) {
        const QString found = FindFileIgnoringCase(folder, bare);
        if (!found.isEmpty()) {
            fileName = found;
            return true;
        }
    }
    const QString question = fileName + u'\r' + Translate(QStringLiteral("Le fichier requis est introuvable.")) + u'\r'
        + Translate(QStringLiteral("Il a pu être renommé, déplacé ou supprimé. Voulez-vous le relocaliser ?"));
    if (UiService().MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return false;
    const QString extension = missing.suffix().isEmpty() ? QString() : u'.' + missing.suffix();
    TFileRequest r;
    r.caption = TranslateFmt(QStringLiteral("Localiser %s"), {bare});
    // Where the file was, else beside the file that names it.
    r.directory = local.contains(u'/') && QDir(missing.path()).exists() ? missing.path() : record.alternativeDir;
    r.fileName = bare;
    r.filters = {extension.isEmpty() ? QStringLiteral("(*)") : filterOf(QString(), extension)};
    // The recent list of the kind of file missing: models are not queries.
    r.history = extension.compare(QStringLiteral(".MDD"), Qt::CaseInsensitive) == 0 ? 11 : 10;
    r.helpContext = 2;
    const QString picked = UiService().OpenFileName(nullptr, r);
    if (picked.isEmpty())
        return false;
    fileName = picked;
    return true;
}

QString BrowseDirectory(const QString& directory, QWidget* parent)
{
    const QString picked = UiService().BrowseDirectory(parent, Translate(QStringLiteral("Choisir un répertoire")), directory);
    if (picked.isEmpty())
        return directory;
    if (QFileInfo(picked).isDir())
        return picked;
    const QString question = TranslateFmt(QStringLiteral("Le répertoire %s n'existe pas. Voulez-vous le créer ?"), {picked});
    if (UiService().MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
        return directory;
    if (!QDir().mkpath(picked)) {
        UiService().MessageDlg(TranslateFmt(QStringLiteral("Impossible de créer le répertoire %s."), {picked}),
            TMsgDlgType::mtError, mbOK);
        return directory;
    }
    return picked;
}

} // namespace mx::ui
