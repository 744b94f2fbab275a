#include "texttables.h"

#include <QHash>

namespace mx {
namespace {

struct Entry {
    const char* key;
    const char* text;
};

// The English texts of the windows, in French.
const Entry kFrench[] = {
    {"General options", "Options générales"},
    {"Language", "Langue"},
    {"Browse...", "Parcourir..."},
    {"File Missing", "Fichier manquant"},
    {"The following file has not been found at the required location :",
        "Le fichier suivant est introuvable à l'emplacement prévu :"},
    {"File :", "Fichier :"},
    {"Location :", "Emplacement :"},
    {"You can either try to find the file yourself or download it directly from our website.",
        "Vous pouvez chercher le fichier vous-même ou le télécharger directement depuis notre site."},
    {"Note : If the required file is located elsewhere on your computer, please make sure to move it to the above "
     "default directory.",
        "Remarque : si le fichier se trouve ailleurs sur votre ordinateur, déplacez-le dans le dossier ci-dessus."},
    {"&Browse", "&Parcourir"},
    {"&Download", "&Télécharger"},
    {"&Cancel", "&Annuler"},
    {"Find File", "Rechercher le fichier"},
    {"All Files (*)", "Tous les fichiers (*)"},
    {"Result Options", "Options du résultat"},
    {"&Results/Options...", "Résu&ltats/Options..."},
    {"&Contents...", "S&ommaire..."},
    {"User Ma&nual", "Ma&nuel de l'utilisateur"},
    {"Brenwick &Home Page", "Site &web de Brenwick"},
    {"&Morvelin Home Page", "Site de &Morvelin"},
    {"File not found %s", "Fichier introuvable : %s"},
    {"Query is empty", "La requête est vide"},
    {"Can not link %s and %s", "Impossible de lier %s et %s"},
    {"Driver %s not found in %s", "Le pilote %s est introuvable dans %s"},
    {"Group not found : %s", "Groupe introuvable : %s"},
    {"Groups not found : %s", "Groupes introuvables : %s"},
    {"Unknown destination %s", "Destination inconnue : %s"},
    {"Default driver not found : %s", "Pilote par défaut introuvable : %s"},
};

// The answers of the program's questions and the French reasons of
// system errors, in English.
const Entry kEnglish[] = {
    {"&Oui", "&Yes"},
    {"&Non", "&No"},
    {"Annuler", "Cancel"},
    {"&Abandonner", "&Abort"},
    {"&Réessayer", "&Retry"},
    {"&Ignorer", "&Ignore"},
    {"&Tous", "&All"},
    {"Fichier ou dossier introuvable", "No such file or directory"},
    {"Accès refusé", "Permission denied"},
    {"Support en lecture seule", "Read-only file system"},
    {"Plus de place sur le disque", "No space left on device"},
    {"Quota de disque dépassé", "Disk quota exceeded"},
    {"C'est un dossier", "Is a directory"},
    {"Un élément du chemin n'est pas un dossier", "Not a directory"},
    {"Le fichier existe déjà", "File exists"},
    {"Trop de fichiers ouverts", "Too many open files"},
    {"Nom de fichier trop long", "File name too long"},
    {"Erreur d'entrée-sortie", "Input/output error"},
    {"Fichier occupé", "Device or resource busy"},
    {"Trop de liens symboliques", "Too many levels of symbolic links"},
    {"Fichier trop gros", "File too large"},
    {"Erreur système %d", "System error %d"},
    {"Erreur de lecture", "Read error"},
    {"Erreur d'écriture", "Write error"},
    {"Le fichier ne peut pas être ouvert", "The file cannot be opened"},
    {"Ressources insuffisantes", "Out of resources"},
    {"Le fichier ne peut pas être supprimé", "The file cannot be removed"},
    {"Le fichier ne peut pas être renommé", "The file cannot be renamed"},
    {"Erreur de positionnement dans le fichier", "Cannot seek in the file"},
    {"Le fichier ne peut pas être redimensionné", "The file cannot be resized"},
    {"Le fichier ne peut pas être copié", "The file cannot be copied"},
    {"Erreur de fichier", "File error"},
    {"Impossible d'ouvrir le fichier \"%s\". %s", "Cannot open file \"%s\". %s"},
    {"Impossible d'écrire le fichier %s : %s", "Cannot write the file %s: %s"},
    {"la copie de sauvegarde %s n'a pu être faite (%s)", "the backup copy %s could not be made (%s)"},
};

using Table = QHash<QString, QString>;

template <std::size_t N>
Table makeTable(const Entry (&entries)[N])
{
    Table t;
    for (const Entry& e : entries)
        t.insert(QString::fromUtf8(e.key), QString::fromUtf8(e.text));
    return t;
}

} // namespace

QString BuiltInTranslation(const QString& langCode, const QString& text)
{
    static const Table french = makeTable(kFrench);
    static const Table english = makeTable(kEnglish);
    const Table* table = nullptr;
    if (langCode.compare(QLatin1String("Fr"), Qt::CaseInsensitive) == 0)
        table = &french;
    else if (langCode.compare(QLatin1String("En"), Qt::CaseInsensitive) == 0)
        table = &english;
    if (!table)
        return {};
    const auto it = table->constFind(text);
    return it == table->constEnd() ? QString() : *it;
}

} // namespace mx
