#pragma once
// Small operations of the administration program beside the shared code
// they extend: the progress gauge of the data model window, text and name
// helpers, field-type lookups, a dialect copied into a datasource, and the
// splitting of table file names into alias or folder and table.
//
// Table file names are either ":ALIAS:TABLE" or a path. A path's folder is
// cut at its last "/" or "\" ("\" stays a separator for models made on
// Windows); no path is ever re-cased.

#include "engine/destination/destinationtype.h"

#include <QChar>
#include <QString>

namespace mx {

class TFieldTypeList;
class TDbEngDatasource;
struct TSQLSyntaxProperties;

// The progress gauge of the active data model window. The engine shows
// nothing itself: the window installs a service that moves its gauge; the
// default one only keeps the position. Each call then lets pending events
// through except user input (UserService().ProcessMessages()).
class TProgressService {
public:
    virtual ~TProgressService() = default;
    // Shows the gauge with this maximum, at position 0.
    virtual void Start(int maximum);
    // Adds 1 to the position.
    virtual void Step();
    // Hides the gauge.
    virtual void End();

    int Maximum() const { return m_maximum; }
    int Position() const { return m_position; }
    bool Shown() const { return m_shown; }

private:
    int m_maximum = 0;
    int m_position = 0;
    bool m_shown = false;
};

TProgressService& ProgressService();
// Installs a service (nullptr: the default one); returns the previous.
TProgressService* SetProgressService(TProgressService* service);

void ProgressStart(int maximum);
void ProgressStep();
void ProgressEnd();

// The text in lower case with its first letter in upper case; empty stays
// empty.
QString CapitalizeFirst(const QString& text);
// The pattern formatted with the language code of the settings object
// ("En", "Fr"...), first letter upper case, second lower case. Without a
// settings object the code is empty.
QString FormatLangCode(const QString& pattern);

// The stored name of a destination output: "Dest_Report", "Dest_File",
// "Dest_Graph", "Dest_CrossTab", "Dest_Table".
QString OutputName(TDestinationOutput output);
// The output whose name, translated or as written, equals name exactly;
// doReport when none does.
TDestinationOutput OutputFromName(const QString& name);

// The type letter of the first field type whose FullType is fullType
// exactly; the character 0 when none is (TFieldTypeList::FindShortType).
QChar FindShortType(const TFieldTypeList& types, const QString& fullType);
// True when both letters map to the same value type; a letter no field
// type has maps to the character 0, so two unknown letters are the same.
bool SameLongType(const TFieldTypeList& types, QChar a, QChar b);

// Copies a dialect into a datasource; SQLLimitRows is left as it is.
void SetSyntaxProperties(TDbEngDatasource* datasource, const TSQLSyntaxProperties& syntax);

// True when the text holds none of ":", "\" and "/": an alias rather than
// a path.
bool IsPlainFileName(const QString& text);
// ":ALIAS:TABLE" gives ALIAS; a path gives its folder with its final
// separator ("/d/x.db" gives "/d/", "C:\D\X.DB" gives "C:\D\"); a bare
// file name gives empty; empty gives empty.
QString ExtractAliasOrPath(const QString& tableFileName);
// ":ALIAS:TABLE" gives TABLE; a path gives its file name; empty gives
// empty.
QString ExtractAliasFileName(const QString& tableFileName);

// NextId of a list is TMxList::NextId (core/list.h): the highest Id plus
// 1, negative Ids counting as 0, 1 for an empty list.

} // namespace mx
