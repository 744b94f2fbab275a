#pragma once
// The user settings the options dialog shows, read from and written to the
// user's settings file (MORVELIN.INI) and the recent-file lists:
//
//   [Options]  PrivateQueryPath, DMPath  text
//              Lang                      the language entry's text
//              MRUsize                   the recent-file lists' size
//   [MSWord]   Lang, Version             indexes of the word processor's entries
//   [MSExcel]  Lang, Version             indexes of the spreadsheet's entries
//
// Reading never writes. Write stores, in this order, the lists' size, the
// two folders, the language and the four indexes; nothing else of the file
// changes; the query globals' private folder (when they exist) takes the
// new one. The dialog reads, shows, and writes only on OK.

#include <QString>
#include <QStringList>

#include <memory>

namespace platform {
class IniFile;
}

namespace mx {

class TDestinationList;
class TMRUs;

struct TOptionValues {
    QString privateQueryPath;
    QString dmPath;
    int mruSize = 5;
    int lang = 1; // an index of LanguageEntries
    int wordLanguage = 0;
    int wordVersion = 0;
    int excelLanguage = 0;
    int excelVersion = 0;

    bool operator==(const TOptionValues&) const = default;
};

class TOptionSettings {
public:
    // Over a settings file and the recent-file lists whose size it shows.
    TOptionSettings(std::shared_ptr<platform::IniFile> file, TMRUs& mrus);

    // "Francais", "English": the interface's languages and the office
    // programs' languages.
    static QStringList LanguageEntries();
    static QStringList WordVersions();  // "Word 6.0", "Word 7.0/95", "Word 97"
    static QStringList ExcelVersions(); // "Excel 5.0", "Excel 7.0/95", "Excel 97"
    // The entry a stored language names, compared without regard to case
    // or accents ("Français" is "Francais"); the session's default language
    // ("Francais") when the value is empty; -1 when it names none.
    static int LanguageIndex(const QString& stored);
    // True when the destination types hold one of that name (the Word and
    // Excel pages are shown only then).
    static bool HasDestinationType(const TDestinationList* types, const QString& name);

    // The stored values: a language naming no entry selects the first one,
    // an index that is no number or names no entry selects the first one,
    // the size is the lists' size.
    TOptionValues Read();
    // Stores the values. The language keeps its stored spelling when the
    // same entry is still selected. Raises EIniFileException ("Unable to
    // write to %s") at the first write the file refuses.
    void Write(const TOptionValues& values);

    static const QString kOptions;
    static const QString kWord;
    static const QString kExcel;

private:
    std::shared_ptr<platform::IniFile> m_file;
    TMRUs& m_mrus;
    QString m_storedLang;
    int m_storedLangIndex = -1;
};

} // namespace mx
