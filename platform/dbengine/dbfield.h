#pragma once
// Field descriptions of datasets and table files: the class library's
// field-type codes, the mapping from SQLite's declared column types, the
// type names and the display widths.

#include <QList>
#include <QString>

namespace platform {

// The class library's field-type codes, as the driver interface passes them.
enum class DbFieldType : quint8 {
    Unknown = 0,
    String = 1,
    Smallint = 2,
    Integer = 3,
    Word = 4,
    Boolean = 5,
    Float = 6,
    Currency = 7,
    BCD = 8,
    Date = 9,
    Time = 10,
    DateTime = 11,
    Bytes = 12,
    VarBytes = 13,
    AutoInc = 14,
    Blob = 15,
    Memo = 16,
    Graphic = 17,
    FmtMemo = 18,
    ParadoxOle = 19,
    DBaseOle = 20,
    TypedBinary = 21,
    Cursor = 22,
};

struct DbField {
    QString name;
    DbFieldType type = DbFieldType::Unknown;
    int size = 0;          // characters for strings, 0 for the other types
    QString declaredType;  // as SQLite reports it; empty for expressions
};

// What a value of a field is, for conversions and table copies.
enum class DbValueKind { Text, Integer, Float, Boolean, Date, Time, DateTime, Memo, Binary };

DbValueKind valueKind(DbFieldType type);

// A SQLite declared type to a field type and size (first rule that matches,
// without regard to case): "INT" (SMALLINT: small integer), "BOOL",
// DATETIME/TIMESTAMP, DATE, TIME, MEMO/CLOB/LONGTEXT, CHAR/VARCHAR(n)/TEXT(n)
// (unsized: 255), REAL/FLOA/DOUB, NUMERIC/DECIMAL, MONEY/CURRENCY, BLOB or
// no type. Any other name is Unknown.
DbField fieldFromDeclaredType(const QString& name, const QString& declaredType);

// The declared type a table file's field gets when it is imported into
// SQLite, chosen so that fieldFromDeclaredType gives the field back.
QString declaredTypeFor(const DbField& field);

// "ALPHA", "NUMBER", "LOGICAL", "MONEY", "BCD", "DATE", "TIME",
// "TIMESTAMP", "BLOB", "MEMO", "GRAPHIC", or "UNKNOWN" (also for codes out
// of range).
QString fieldTypeName(int code);

// Characters a grid column needs: strings their size, integers 10, floats
// and money 15, dates 10, times 8, timestamps 19, logicals 5, memos 10.
int fieldDisplayWidth(const DbField& field);

// The index of the field named name (without regard to case), or -1.
int indexOfField(const QList<DbField>& fields, const QString& name);

} // namespace platform
