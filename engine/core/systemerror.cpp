#include "systemerror.h"

#include "translate.h"

#include <QFileDevice>

#include <cerrno>

namespace mx {
namespace {

struct Reason {
    int error;
    const char* text;
};

const Reason kReasons[] = {
    {ENOENT, "Fichier ou dossier introuvable"},
    {EACCES, "Accès refusé"},
    {EPERM, "Accès refusé"},
    {EROFS, "Support en lecture seule"},
    {ENOSPC, "Plus de place sur le disque"},
    {EDQUOT, "Quota de disque dépassé"},
    {EISDIR, "C'est un dossier"},
    {ENOTDIR, "Un élément du chemin n'est pas un dossier"},
    {EEXIST, "Le fichier existe déjà"},
    {EMFILE, "Trop de fichiers ouverts"},
    {ENFILE, "Trop de fichiers ouverts"},
    {ENAMETOOLONG, "Nom de fichier trop long"},
    {EIO, "Erreur d'entrée-sortie"},
    {EBUSY, "Fichier occupé"},
    {ETXTBSY, "Fichier occupé"},
    {ELOOP, "Trop de liens symboliques"},
    {EFBIG, "Fichier trop gros"},
};

const char* kindText(QFileDevice::FileError kind)
{
    switch (kind) {
    case QFileDevice::ReadError:
        return "Erreur de lecture";
    case QFileDevice::WriteError:
        return "Erreur d'écriture";
    case QFileDevice::OpenError:
        return "Le fichier ne peut pas être ouvert";
    case QFileDevice::ResourceError:
        return "Ressources insuffisantes";
    case QFileDevice::RemoveError:
        return "Le fichier ne peut pas être supprimé";
    case QFileDevice::RenameError:
        return "Le fichier ne peut pas être renommé";
    case QFileDevice::PositionError:
        return "Erreur de positionnement dans le fichier";
    case QFileDevice::ResizeError:
        return "Le fichier ne peut pas être redimensionné";
    case QFileDevice::PermissionsError:
        return "Accès refusé";
    case QFileDevice::CopyError:
        return "Le fichier ne peut pas être copié";
    default:
        break;
    }
    return "Erreur de fichier";
}

} // namespace

QString ErrnoReason(int error)
{
    for (const Reason& r : kReasons)
        if (r.error == error)
            return Translate(r.text);
    return TranslateFmt(QStringLiteral("Erreur système %d"), {error});
}

QString FileErrorReason(const QFileDevice& file)
{
    // Qt reports a system error by its text alone (qt_error_string), so the
    // text tells which one it was.
    const QString text = file.errorString();
    for (const Reason& r : kReasons)
        if (text == qt_error_string(r.error))
            return Translate(r.text);
    return Translate(kindText(file.error()));
}

} // namespace mx
