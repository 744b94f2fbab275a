// Declared SQLite types to field types, type names, and the text form of values.

#include "dbtestutil.h"

#include "platform/dbengine/dbfield.h"
#include "platform/dbengine/dbvalue.h"

using namespace platform;

namespace {

TEST(FieldTypes, DeclaredTypesMapToTheLibraryCodes)
{
    struct Case {
        const char* decl;
        DbFieldType type;
        int size;
    } cases[] = {
        {"INTEGER", DbFieldType::Integer, 0},       {"int", DbFieldType::Integer, 0},
        {"BIGINT", DbFieldType::Integer, 0},        {"SMALLINT", DbFieldType::Smallint, 0},
        {"BOOLEAN", DbFieldType::Boolean, 0},       {"bool", DbFieldType::Boolean, 0},
        {"DATETIME", DbFieldType::DateTime, 0},     {"TIMESTAMP", DbFieldType::DateTime, 0},
        {"DATE", DbFieldType::Date, 0},             {"TIME", DbFieldType::Time, 0},
        {"VARCHAR(30)", DbFieldType::String, 30},   {"CHAR(2)", DbFieldType::String, 2},
        {"TEXT(12)", DbFieldType::String, 12},      {"TEXT", DbFieldType::String, 255},
        {"NVARCHAR ( 80 )", DbFieldType::String, 80}, {"MEMO", DbFieldType::Memo, 0},
        {"CLOB", DbFieldType::Memo, 0},             {"LONGTEXT", DbFieldType::Memo, 0},
        {"REAL", DbFieldType::Float, 0},            {"FLOAT", DbFieldType::Float, 0},
        {"DOUBLE PRECISION", DbFieldType::Float, 0}, {"NUMERIC(10,2)", DbFieldType::BCD, 0},
        {"DECIMAL", DbFieldType::BCD, 0},           {"MONEY", DbFieldType::Currency, 0},
        {"CURRENCY", DbFieldType::Currency, 0},     {"BLOB", DbFieldType::Blob, 0},
        {"", DbFieldType::Blob, 0},                 {"GEOMETRY", DbFieldType::Unknown, 0},
    };
    for (const Case& c : cases) {
        const DbField f = fieldFromDeclaredType(QStringLiteral("F"), QString::fromLatin1(c.decl));
        EXPECT_EQ(int(f.type), int(c.type)) << c.decl;
        EXPECT_EQ(f.size, c.size) << c.decl;
        // A table file's field imported into SQLite comes back as itself.
        const DbField back = fieldFromDeclaredType(QStringLiteral("F"), declaredTypeFor(f));
        if (f.type != DbFieldType::Unknown) {
            EXPECT_EQ(int(back.type), int(f.type)) << c.decl;
        }
    }
}

TEST(FieldTypes, EveryCodeHasItsName)
{
    const char* names[] = {"UNKNOWN", "ALPHA", "NUMBER", "NUMBER", "NUMBER", "LOGICAL", "NUMBER", "MONEY",
                           "BCD", "DATE", "TIME", "TIMESTAMP", "NUMBER", "NUMBER", "NUMBER", "BLOB",
                           "MEMO", "GRAPHIC", "BLOB", "UNKNOWN", "UNKNOWN", "UNKNOWN", "UNKNOWN"};
    for (int code = 0; code <= 22; ++code)
        EXPECT_EQ(fieldTypeName(code), QString::fromLatin1(names[code])) << code;
    EXPECT_EQ(fieldTypeName(-1), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(fieldTypeName(23), QStringLiteral("UNKNOWN"));
}

TEST(TextForm, ValuesReadAsTheirFieldType)
{
    const DbTextFormat dmy{QStringLiteral("d/m/y")};
    const DbTextFormat mdy{QStringLiteral("m-d-y")};
    const DbTextFormat ymd{QStringLiteral("yyyy.mm.dd")};
    struct Case {
        QVariant value;
        DbFieldType type;
        DbTextFormat format;
        const char* text;
    } cases[] = {
        {QVariant(), DbFieldType::String, dmy, ""},
        {QVariant(), DbFieldType::Integer, dmy, ""},
        {QVariant(QStringLiteral("2024-03-05")), DbFieldType::Date, dmy, "05/03/2024"},
        {QVariant(QStringLiteral("2024-03-05")), DbFieldType::Date, mdy, "03-05-2024"},
        {QVariant(QStringLiteral("0987-12-01")), DbFieldType::Date, ymd, "0987.12.01"},
        {QVariant(QStringLiteral("2024-03-05 14:07:09")), DbFieldType::DateTime, dmy, "05/03/2024 14:07:09"},
        {QVariant(QStringLiteral("2024-03-05")), DbFieldType::DateTime, dmy, "05/03/2024 00:00:00"},
        {QVariant(QDate(1999, 12, 31)), DbFieldType::Date, {}, "31/12/1999"},
        {QVariant(QStringLiteral("07:05")), DbFieldType::Time, dmy, "07:05:00"},
        {QVariant(QStringLiteral("not a date")), DbFieldType::Date, dmy, "not a date"},
        {QVariant(0.1), DbFieldType::Float, dmy, "0.1"},
        {QVariant(-1234567.25), DbFieldType::Currency, dmy, "-1234567.25"},
        {QVariant(3.0), DbFieldType::Float, dmy, "3"},
        {QVariant(100000.0), DbFieldType::Currency, dmy, "100000"},
        {QVariant(0.30000000000000004), DbFieldType::Float, dmy, "0.30000000000000004"},
        {QVariant(1e20), DbFieldType::Float, dmy, "1e+20"},
        {QVariant(-2.5e-7), DbFieldType::Float, dmy, "-2.5e-07"},
        {QVariant(qint64(42)), DbFieldType::Float, dmy, "42"},
        {QVariant(qint64(-9007199254740993LL)), DbFieldType::Integer, dmy, "-9007199254740993"},
        {QVariant(2.5), DbFieldType::Integer, dmy, "2.5"},
        {QVariant(qint64(1)), DbFieldType::Boolean, dmy, "True"},
        {QVariant(qint64(0)), DbFieldType::Boolean, dmy, "False"},
        {QVariant(QStringLiteral("Crème brûlée")), DbFieldType::Memo, dmy, "Crème brûlée"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(valueText(c.value, c.type, c.format), QString::fromUtf8(c.text))
            << c.value.toString().toStdString() << " as " << int(c.type);
}

TEST(TextForm, DatesParseBackInTheEditorOrder)
{
    QDate d;
    ASSERT_TRUE(parseDate(QStringLiteral("05/03/2024"), {QStringLiteral("d/m/y")}, &d));
    EXPECT_EQ(d, QDate(2024, 3, 5));
    ASSERT_TRUE(parseDate(QStringLiteral("03-05-2024"), {QStringLiteral("m-d-y")}, &d));
    EXPECT_EQ(d, QDate(2024, 3, 5));
    EXPECT_FALSE(parseDate(QStringLiteral("31/02/2024"), {}, &d));
    EXPECT_FALSE(parseDate(QStringLiteral("05/03"), {}, &d));
    EXPECT_FALSE(parseDate(QStringLiteral("05/03/2024/1"), {}, &d));
}

} // namespace
