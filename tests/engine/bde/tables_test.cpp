// Table definitions: field types and sizes from the declared SQLite types,
// the type names and their letters, display widths and the key index.

#include "bdefixture.h"

#include "engine/bde/bdedataset.h"
#include "engine/global/fieldtype.h"

#include "platform/dbengine/dbfield.h"

#include <QFileInfo>

using namespace mx;
using bdetest::BdeTest;
using bdetest::Dataset;

namespace {

class TablesTest : public BdeTest {
protected:
    void SetUp() override { m_demo = MakeDemo(); }
    QString m_demo;
};

} // namespace

TEST_F(TablesTest, DeclaredTypesGiveTheLibraryCodesNamesSizesAndWidths)
{
    const struct {
        const char* decl;
        int code;
        const char* name;
        int size;
        int width;
    } cases[] = {
        {"INTEGER", 3, "NUMBER", 0, 10},
        {"BIGINT", 3, "NUMBER", 0, 10},
        {"SMALLINT", 2, "NUMBER", 0, 10},
        {"BOOLEAN", 5, "LOGICAL", 0, 5},
        {"DATETIME", 11, "TIMESTAMP", 0, 19},
        {"TIMESTAMP", 11, "TIMESTAMP", 0, 19},
        {"DATE", 9, "DATE", 0, 10},
        {"TIME", 10, "TIME", 0, 8},
        {"VARCHAR(40)", 1, "ALPHA", 40, 40},
        {"CHAR(3)", 1, "ALPHA", 3, 3},
        {"TEXT(10)", 1, "ALPHA", 10, 10},
        {"TEXT", 1, "ALPHA", 255, 255},
        {"MEMO", 16, "MEMO", 0, 10},
        {"CLOB", 16, "MEMO", 0, 10},
        {"LONGTEXT", 16, "MEMO", 0, 10},
        {"REAL", 6, "NUMBER", 0, 15},
        {"FLOAT", 6, "NUMBER", 0, 15},
        {"DOUBLE PRECISION", 6, "NUMBER", 0, 15},
        {"NUMERIC(10,2)", 8, "BCD", 0, 15},
        {"DECIMAL", 8, "BCD", 0, 15},
        {"MONEY", 7, "MONEY", 0, 15},
        {"CURRENCY", 7, "MONEY", 0, 15},
        {"BLOB", 15, "BLOB", 0, 10},
        {"", 15, "BLOB", 0, 10},
    };
    QString script = QStringLiteral("CREATE TABLE TYPES (");
    for (size_t i = 0; i < std::size(cases); ++i)
        script += QStringLiteral("%1C%2 %3").arg(i ? QStringLiteral(", ") : QString()).arg(i).arg(QString::fromLatin1(cases[i].decl));
    script += QStringLiteral(");");
    const QString path = Path(QStringLiteral("types.sqlite"));
    MakeDatabase(path, script);

    Dataset table(Driver().GetTable(path, QStringLiteral("TYPES")));
    ASSERT_TRUE(table);
    ASSERT_EQ(table->GetFieldCount(), int(std::size(cases)));
    EXPECT_FALSE(table->GetActive()); // definitions only: the table is not read
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const TIMxField* field = table->FieldDescription(int(i));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->Name, QStringLiteral("C%1").arg(i));
        EXPECT_EQ(field->DataType, c.code) << c.decl;
        EXPECT_EQ(table->GetFieldTypeName(int(i)), QString::fromLatin1(c.name)) << c.decl;
        EXPECT_EQ(table->GetFieldSize(int(i)), c.size) << c.decl;
        EXPECT_EQ(table->GetFieldWidth(int(i)), c.width) << c.decl;
    }
    // Out of range: the error-tolerant answers.
    EXPECT_EQ(table->GetFieldTypeName(-1), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(table->GetFieldName(99), QString());
    EXPECT_EQ(table->GetFieldSize(99), 0);
    EXPECT_EQ(table->GetFieldWidth(99), 0);
    EXPECT_EQ(table->GetFieldValue(0), QString());
    EXPECT_EQ(table->GetRecordCount(), 0);
}

TEST_F(TablesTest, EveryTypeCodeHasItsNameAndEveryNameButUnknownItsLetter)
{
    // The library's codes 0 to 22, and codes beyond.
    const char* names[] = {"UNKNOWN", "ALPHA", "NUMBER", "NUMBER", "NUMBER", "LOGICAL", "NUMBER", "MONEY", "BCD",
        "DATE", "TIME", "TIMESTAMP", "NUMBER", "NUMBER", "NUMBER", "BLOB", "MEMO", "GRAPHIC", "BLOB", "UNKNOWN",
        "UNKNOWN", "UNKNOWN", "UNKNOWN", "UNKNOWN"};
    QList<platform::DbField> fields;
    for (int code = 0; code < int(std::size(names)); ++code) {
        platform::DbField f;
        f.name = QStringLiteral("F%1").arg(code);
        f.type = platform::DbFieldType(code);
        fields << f;
    }
    auto* dataset = new TMxBdeDataset(nullptr);
    Dataset owned(dataset);
    dataset->SetDataset(TDbDataObject::FromDefinitions(QStringLiteral("T"), fields, {}));

    auto* types = new TFieldTypeList(nullptr);
    types->LoadFromFile(QStringLiteral(MX_DEFINITIONS_DIR "/FLDTYPES.MXF"));
    for (int code = 0; code < int(std::size(names)); ++code) {
        const QString name = dataset->GetFieldTypeName(code);
        EXPECT_EQ(name, QString::fromLatin1(names[code])) << code;
        const QChar letter = types->FindShortType(name);
        if (name == u"UNKNOWN")
            EXPECT_TRUE(letter.isNull()) << code;
        else
            EXPECT_FALSE(letter.isNull()) << name.toStdString() << " has no letter in FLDTYPES.MXF";
    }
    types->Free();
}

TEST_F(TablesTest, KeysArePrimaryInKeyOrderElseTheFirstUniqueIndexElseNone)
{
    const struct {
        const char* table;
        QStringList keys;
    } cases[] = {
        {"CLIENT", {QStringLiteral("ID")}},
        {"LIGNE", {QStringLiteral("NUM"), QStringLiteral("CMD")}}, // the key's order, not the columns'
        {"CODE", {QStringLiteral("C"), QStringLiteral("B")}},      // a plain index comes first: skipped
        {"NOTE", {}},
    };
    for (const auto& c : cases) {
        auto* table = static_cast<TMxBdeDataset*>(Driver().GetTable(m_demo, QString::fromLatin1(c.table)));
        Dataset owned(table);
        ASSERT_NE(table, nullptr) << c.table;
        EXPECT_EQ(KeyNames(table), c.keys) << c.table;
        EXPECT_EQ(table->GetKeyIndex(), c.keys.join(u';')) << c.table;
        EXPECT_EQ(table->GetKeyFieldName(c.keys.size()), QString()) << c.table;
    }
    // A query has no key index, even over a keyed table.
    Dataset query(Driver().ExecuteQuery(QStringLiteral("SELECT * FROM LIGNE"), QString(), QString(), QString(), m_demo));
    ASSERT_TRUE(query);
    EXPECT_EQ(query->GetKeyFieldCount(), 0);
}

TEST_F(TablesTest, ATableWithoutNameIsEmptyAndAMissingOneIsReported)
{
    Dataset none(Driver().GetTable(m_demo, QString()));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->GetFieldCount(), 0);
    EXPECT_EQ(none->GetKeyFieldCount(), 0);
    EXPECT_TRUE(TakeMessages().isEmpty());

    EXPECT_EQ(Driver().GetTable(m_demo, QStringLiteral("NOPE")), nullptr);
    QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("TMxBdeDriver.GetTable"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("Table not found: NOPE"))) << messages[0].toStdString();

    EXPECT_EQ(Driver().GetTable(Path(QStringLiteral("none.sqlite")), QStringLiteral("T")), nullptr);
    messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("TMxBdeDriver.GetTable"))) << messages[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("none.sqlite"))));
}
