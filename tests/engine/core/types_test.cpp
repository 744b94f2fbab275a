// Engine types: the SQL text list, quoting, the enumerations stored by
// name, and the two tables of names the user interface shows.

#include "engine/core/exceptions.h"
#include "engine/core/list.h"
#include "engine/core/sqlsyntax.h"
#include "engine/core/types.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"

#include "tests/support/testsupport.h"

#include <QStringList>

using namespace mx;

namespace {

QStringList linesAfter(const QStringList& start, const std::function<void(TConcatStringList&)>& op)
{
    TConcatStringList l;
    for (const QString& s : start)
        l.Add(s);
    op(l);
    return l.Lines();
}

// An item with one enumeration, one set of capabilities and one SQL text.
class TTyped : public TMxItem {
    MX_CLASS(TTyped)
public:
    using TMxItem::TMxItem;
    int Op = foConst;
    quint32 Caps = 0;
    TConcatStringList SQL;
};

} // namespace

MX_DEFINE_CLASS(TTyped, TMxItem, [](ClassBuilder<TTyped>& c) {
    c.enumeration("Op", OperatorInfo(), &TTyped::Op, &TTyped::Op, foConst);
    c.set("Caps", SQLCapabilitiesInfo(), &TTyped::Caps, &TTyped::Caps, 0);
    c.object("SQL", [](const TTyped* t) { return const_cast<TConcatStringList*>(&t->SQL); });
})

TEST(SqlTextList, PiecesJoinUpTo255AndLongPiecesStayWhole)
{
    const QString l253(253, u'a'), l254(254, u'a'), l300(300, u'p');
    struct Case {
        const char* title;
        QStringList start;
        std::function<void(TConcatStringList&)> op;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {"append to an empty list", {}, [](auto& l) { l.AppendText("x"); }, {"x"}},
        {"append fills a line of 254 to 255", {l254}, [](auto& l) { l.AppendText("B"); }, {l254 + "B"}},
        {"then the next piece starts a new line", {l254},
            [](auto& l) {
                l.AppendText("B");
                l.AppendText("C");
            },
            {l254 + "B", "C"}},
        {"a 300-character piece stays one line", {}, [&](auto& l) { l.AppendText(l300); }, {l300}},
        {"a long piece after a short line gets its own", {"SELECT"}, [&](auto& l) { l.AppendText(l300); }, {"SELECT", l300}},
        {"a short piece after a long line gets its own", {l300}, [](auto& l) { l.AppendText(" x"); }, {l300, " x"}},
        {"insert into an empty list", {}, [](auto& l) { l.InsertText(0, "(("); }, {"(("}},
        {"insert joins a line of 253", {l253, "z"}, [](auto& l) { l.InsertText(0, "(("); }, {"((" + l253, "z"}},
        {"insert ahead of a line of 254", {l254}, [](auto& l) { l.InsertText(0, "(("); }, {"((", l254}},
        {"insert at a later line", {"a", "b"}, [](auto& l) { l.InsertText(1, "("); }, {"a", "(b"}},
        {"insert past the last line adds a line", {"a"}, [](auto& l) { l.InsertText(1, ")"); }, {"a", ")"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(linesAfter(c.start, c.op), c.expected);
    }

    // the text keeps the pieces in order across line breaks
    TConcatStringList l;
    for (int i = 0; i < 100; ++i)
        l.AppendText(QString::number(i % 10).repeated(7) + u' ');
    QString joined;
    for (const QString& line : l.Lines()) {
        EXPECT_LE(line.size(), 255);
        joined += line;
    }
    QString pieces;
    for (int i = 0; i < 100; ++i)
        pieces += QString::number(i % 10).repeated(7) + u' ';
    EXPECT_EQ(joined, pieces);
    EXPECT_GT(l.Count(), 1);
    EXPECT_THROW(l.InsertText(l.Count() + 1, "x"), EListError);
}

TEST(SqlTextList, Quoting)
{
    TSQLSyntaxProperties quoted;
    quoted.FieldQuoter = "\"";
    TSQLSyntaxProperties plain;
    struct Case {
        const TSQLSyntaxProperties* syntax;
        TSetSQLCapabilities caps;
        const char* name;
        const char* field;
        const char* table;
    };
    const Case cases[] = {
        {&quoted, 0, "CLIENT", "\"CLIENT\"", "CLIENT"},
        {&quoted, SqlCap(scQuoteTableName), "CLIENT", "\"CLIENT\"", "\"CLIENT\""},
        {&plain, SqlCap(scQuoteTableName), "CLIENT", "CLIENT", "CLIENT"},
        {&quoted, SqlCap(scQuoteTableName), "A\"B", "\"A\"\"B\"", "\"A\"\"B\""},
        {&quoted, 0, "", "\"\"", ""},
    };
    for (const Case& c : cases) {
        TSQLSyntaxProperties s = *c.syntax;
        s.Capabilities = c.caps;
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QuoteName(s, c.name), c.field);
        EXPECT_EQ(QuoteTableName(s, c.name), c.table);
    }
}

TEST(EngineTypes, EnumerationsKeepTheirNamesAndOrder)
{
    struct Case {
        const EnumInfo& info;
        const char* type;
        int count;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {DlgControlKindInfo(), "TDlgControlKind", 9, "ckNone", "ckImage"},
        {OperatorInfo(), "TOperator", 25, "foConst", "foAverage"},
        {FormulaTypeInfo(), "TFormulaType", 3, "ftFormula", "ftEntityFilter"},
        {SortTypeInfo(), "TSortType", 2, "sfAscending", "sfDescending"},
        {LinkTypeInfo(), "TLinkType", 2, "ltOneToOne", "ltOneToMany"},
        {SQLCapabilitiesInfo(), "TSQLCapabilities", 11, "scPrefixAsField", "scQuoteAsField"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(c.info.typeName, c.type);
        ASSERT_EQ(c.info.names.size(), c.count);
        EXPECT_EQ(c.info.names.first(), c.first);
        EXPECT_EQ(c.info.names.last(), c.last);
    }
    // the ordinals the code uses are the ordinals of the names
    EXPECT_EQ(OperatorInfo().names[foContaining], "foContaining");
    EXPECT_EQ(OperatorInfo().names[foEqualSup], "foEqualSup");
    EXPECT_EQ(DlgControlKindInfo().names[ckCheck], "ckCheck");
    EXPECT_EQ(SQLCapabilitiesInfo().names[scAgregateViews], "scAgregateViews");
    EXPECT_EQ(SQLCapabilitiesInfo().names[scQuoteDates], "scQuoteDates");
    EXPECT_EQ(sizeof(TSetSQLCapabilities), 2u);
    EXPECT_EQ(SqlCap(scQuoteAsField), 1u << 10);
}

class TypedFiles : public mxtest::EngineTest {};

TEST_F(TypedFiles, EnumerationNamesInFiles)
{
    auto* t = new TTyped(nullptr);
    t->Op = foContaining;
    t->Caps = SqlCap(scQuoteTableName) | SqlCap(scAgregateViews);
    t->SQL.AppendText(QString(300, u's'));
    t->SQL.AppendText("WHERE");
    const QByteArray bytes = t->SaveToBytes();
    EXPECT_TRUE(bytes.contains(QByteArray("\x02Op\x07\x0C" "foContaining", 17)));
    EXPECT_TRUE(bytes.contains(QByteArray("\x04" "Caps\x0B\x10scQuoteTableName\x0FscAgregateViews\x00", 40)));
    EXPECT_TRUE(bytes.contains("SQL.Strings"));
    auto* back = new TTyped(nullptr);
    back->LoadFromStream(bytes);
    EXPECT_EQ(back->Op, foContaining);
    EXPECT_EQ(back->Caps, t->Caps);
    EXPECT_EQ(back->SQL.Lines(), t->SQL.Lines());

    // names read without regard to case
    QByteArray lower = bytes;
    lower.replace("foContaining", "FOCONTAINING");
    lower.replace("scAgregateViews", "SCAGREGATEVIEWS");
    back->Op = foConst;
    back->LoadFromStream(lower);
    EXPECT_EQ(back->Op, foContaining);
    EXPECT_EQ(back->Caps, t->Caps);

    // an unknown name is an invalid property value
    struct Bad {
        const char* from;
        const char* to;
        const char* message;
    };
    // the error names the byte where the property's record starts
    const QString opAt = QString::number(bytes.indexOf("\x02Op"));
    const QString capsAt = QString::number(bytes.indexOf("\x04" "Caps"));
    const std::string op = ("Error reading byte " + opAt + ", TTyped, property Op: Invalid property value").toStdString();
    const std::string caps = ("Error reading byte " + capsAt + ", TTyped, property Caps: Invalid property value").toStdString();
    const Bad bad[] = {
        {"foContaining", "foNotAnOpAtX", op.c_str()},
        {"scAgregateViews", "scAgregateViewz", caps.c_str()},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.from);
        QByteArray damaged = bytes;
        damaged.replace(b.from, b.to);
        try {
            back->LoadFromStream(damaged);
            FAIL();
        } catch (const EReadError& e) {
            EXPECT_EQ(e.message(), b.message);
        }
    }
    t->Free();
    back->Free();
}

TEST(EngineTypes, FieldTypeNamesAndTotalKinds)
{
    const QString letters = "@ADLNT";
    const QStringList names = {"Date Heure", "Chaîne", "Date", "Logique", "Numérique", "Heure"};
    ASSERT_EQ(FieldTypeNames.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(FieldTypeNames[size_t(i)].letter, letters[i]);
        EXPECT_EQ(QString::fromUtf8(FieldTypeNames[size_t(i)].name), names[i]);
        EXPECT_EQ(FieldTypeIndex(letters[i]), i);
    }
    EXPECT_EQ(FieldTypeIndex(u'X'), -1);

    struct Total {
        unsigned char symbol;
        const char* name;
        const char* description;
    };
    const Total totals[] = {
        {84, "(Tout)", "toutes les valeurs du champ"},
        {204, "Nombre", "le nombre de valeurs du champ"},
        {64, "Moyenne", "la moyenne des valeurs du champ"},
        {229, "Somme", "la somme des valeurs du champ"},
        {113, "Minimum", "la valeur minimum du champ"},
        {165, "Maximum", "la valeur maximum du champ"},
    };
    ASSERT_EQ(TotalKinds.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(TotalKinds[i].symbol, totals[i].symbol) << i;
        EXPECT_STREQ(TotalKinds[i].name, totals[i].name);
        EXPECT_STREQ(TotalKinds[i].description, totals[i].description);
    }
}

TEST(EngineTypes, ExceptionClasses)
{
    struct Case {
        std::function<void()> raise;
        const char* className;
        bool engine;
    };
    const std::vector<Case> cases = {
        {[] { throw EMxException("m"); }, "EMxException", true},
        {[] { throw EMxAbort("m"); }, "EMxAbort", true},
        {[] { throw EMxInternal("m"); }, "EMxInternal", true},
        {[] { throw EMxBadDatamodel("m"); }, "EMxBadDatamodel", true},
        {[] { throw EMxFileNotFound("m"); }, "EMxFileNotFound", true},
        {[] { throw EAbort("m"); }, "EAbort", false},
        {[] { throw EConvertError("m"); }, "EConvertError", false},
        {[] { throw EReadError("m"); }, "EReadError", false},
        {[] { throw EListError("m"); }, "EListError", false},
        {[] { throw EInvalidImage("m"); }, "EInvalidImage", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        try {
            c.raise();
            FAIL();
        } catch (const Exception& e) {
            EXPECT_EQ(e.className(), c.className);
            EXPECT_EQ(e.message(), "m");
            EXPECT_EQ(dynamic_cast<const EMxException*>(&e) != nullptr, c.engine);
        }
    }
    // the user's cancel is an engine error, not the silent abort
    try {
        throw EMxAbort("x");
    } catch (const Exception& e) {
        EXPECT_EQ(dynamic_cast<const EAbort*>(&e), nullptr);
    }
}
