#include "dbfield.h"

#include <QRegularExpression>

namespace platform {

DbValueKind valueKind(DbFieldType type)
{
    switch (type) {
    case DbFieldType::Smallint:
    case DbFieldType::Integer:
    case DbFieldType::Word:
    case DbFieldType::AutoInc:
        return DbValueKind::Integer;
    case DbFieldType::Float:
    case DbFieldType::Currency:
    case DbFieldType::BCD:
        return DbValueKind::Float;
    case DbFieldType::Boolean:
        return DbValueKind::Boolean;
    case DbFieldType::Date:
        return DbValueKind::Date;
    case DbFieldType::Time:
        return DbValueKind::Time;
    case DbFieldType::DateTime:
        return DbValueKind::DateTime;
    case DbFieldType::Memo:
    case DbFieldType::FmtMemo:
        return DbValueKind::Memo;
    case DbFieldType::Bytes:
    case DbFieldType::VarBytes:
    case DbFieldType::Blob:
    case DbFieldType::Graphic:
    case DbFieldType::ParadoxOle:
    case DbFieldType::DBaseOle:
    case DbFieldType::TypedBinary:
    case DbFieldType::Cursor:
        return DbValueKind::Binary;
    case DbFieldType::Unknown:
    case DbFieldType::String:
        break;
    }
    return DbValueKind::Text;
}

namespace {

// The "(n)" of "VARCHAR(n)" or "TEXT(n)", or 0.
int declaredLength(const QString& decl)
{
    static const QRegularExpression re(QStringLiteral("\\(\\s*(\\d+)"));
    const auto m = re.match(decl);
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    return ok && n > 0 && n <= 65535 ? n : 0;
}

} // namespace

DbField fieldFromDeclaredType(const QString& name, const QString& declaredType)
{
    DbField f;
    f.name = name;
    f.declaredType = declaredType;
    const QString d = declaredType.toUpper();
    auto has = [&d](const char* s) { return d.contains(QLatin1String(s)); };

    if (d.trimmed().isEmpty() || has("BLOB")) {
        f.type = DbFieldType::Blob;
    } else if (has("INT")) {
        f.type = has("SMALLINT") ? DbFieldType::Smallint : DbFieldType::Integer;
    } else if (has("BOOL")) {
        f.type = DbFieldType::Boolean;
    } else if (has("DATETIME") || has("TIMESTAMP")) {
        f.type = DbFieldType::DateTime;
    } else if (has("DATE")) {
        f.type = DbFieldType::Date;
    } else if (has("TIME")) {
        f.type = DbFieldType::Time;
    } else if (has("MEMO") || has("CLOB") || has("LONGTEXT")) {
        f.type = DbFieldType::Memo;
    } else if (has("CHAR") || has("TEXT")) {
        f.type = DbFieldType::String;
        const int n = declaredLength(d);
        f.size = n > 0 ? n : 255;
    } else if (has("REAL") || has("FLOA") || has("DOUB")) {
        f.type = DbFieldType::Float;
    } else if (has("NUMERIC") || has("DECIMAL")) {
        f.type = DbFieldType::BCD;
    } else if (has("MONEY") || has("CURRENCY")) {
        f.type = DbFieldType::Currency;
    } else {
        f.type = DbFieldType::Unknown;
    }
    return f;
}

QString declaredTypeFor(const DbField& field)
{
    switch (field.type) {
    case DbFieldType::String:
        return QStringLiteral("VARCHAR(%1)").arg(field.size > 0 ? field.size : 255);
    case DbFieldType::Smallint:
        return QStringLiteral("SMALLINT");
    case DbFieldType::Integer:
    case DbFieldType::Word:
    case DbFieldType::AutoInc:
        return QStringLiteral("INTEGER");
    case DbFieldType::Boolean:
        return QStringLiteral("BOOLEAN");
    case DbFieldType::Float:
        return QStringLiteral("FLOAT");
    case DbFieldType::Currency:
        return QStringLiteral("MONEY");
    case DbFieldType::BCD:
        return QStringLiteral("NUMERIC");
    case DbFieldType::Date:
        return QStringLiteral("DATE");
    case DbFieldType::Time:
        return QStringLiteral("TIME");
    case DbFieldType::DateTime:
        return QStringLiteral("TIMESTAMP");
    case DbFieldType::Memo:
    case DbFieldType::FmtMemo:
        return QStringLiteral("MEMO");
    case DbFieldType::Unknown:
        return QStringLiteral("VARCHAR(255)");
    default:
        return QStringLiteral("BLOB");
    }
}

QString fieldTypeName(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("ALPHA");
    case 2: case 3: case 4: case 6: case 12: case 13: case 14:
        return QStringLiteral("NUMBER");
    case 5:
        return QStringLiteral("LOGICAL");
    case 7:
        return QStringLiteral("MONEY");
    case 8:
        return QStringLiteral("BCD");
    case 9:
        return QStringLiteral("DATE");
    case 10:
        return QStringLiteral("TIME");
    case 11:
        return QStringLiteral("TIMESTAMP");
    case 15: case 18:
        return QStringLiteral("BLOB");
    case 16:
        return QStringLiteral("MEMO");
    case 17:
        return QStringLiteral("GRAPHIC");
    default:
        return QStringLiteral("UNKNOWN");
    }
}

int fieldDisplayWidth(const DbField& field)
{
    switch (valueKind(field.type)) {
    case DbValueKind::Text:
        return field.size > 0 ? field.size : 255;
    case DbValueKind::Integer:
        return 10;
    case DbValueKind::Float:
        return 15;
    case DbValueKind::Boolean:
        return 5;
    case DbValueKind::Date:
        return 10;
    case DbValueKind::Time:
        return 8;
    case DbValueKind::DateTime:
        return 19;
    case DbValueKind::Memo:
    case DbValueKind::Binary:
        return 10;
    }
    return 10;
}

int indexOfField(const QList<DbField>& fields, const QString& name)
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace platform
