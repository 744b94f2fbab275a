// The controls of a band as the paginator and the report editor see them:
// each kind answers what it is and the text the user edits, as made by its
// stored class name (a control of the base class is made in code only).

#include "reporttest.h"

#include <functional>

using namespace mx;
using namespace mx::rpt;
using namespace rtest;

namespace {

TEST(ReportControls, EachKindSaysWhatItIsAndEditsItsOwnText)
{
    struct Case {
        const char* className;
        TQRControlKind kind;
        // the property the editable text is, or none
        std::function<QString(const TQRPrintable&)> property;
    };
    const Case cases[] = {
        {"TQRLabel", qkLabel, [](const TQRPrintable& c) { return static_cast<const TQRLabel&>(c).Caption(); }},
        {"TQRExpr", qkExpr, [](const TQRPrintable& c) { return static_cast<const TQRExpr&>(c).Expression(); }},
        {"TQRSysData", qkSysData, [](const TQRPrintable& c) { return static_cast<const TQRSysData&>(c).Text(); }},
        {"TQRShape", qkShape, nullptr},
        {nullptr, qkPlain, nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.className ? k.className : "TQRPrintable");
        std::unique_ptr<TQRComponent> part
            = k.className ? CreatePart(QString::fromLatin1(k.className)) : std::make_unique<TQRPrintable>();
        auto* c = dynamic_cast<TQRPrintable*>(part.get());
        ASSERT_TRUE(c);
        EXPECT_EQ(c->ControlKind(), k.kind);
        const QString design = c->DesignText();
        if (!k.property) {
            EXPECT_FALSE(c->EditableText().has_value());
            EXPECT_FALSE(c->SetEditableText(QStringLiteral("x"))) << "nothing to set";
            EXPECT_FALSE(c->EditableText().has_value());
            EXPECT_EQ(c->DesignText(), design);
            continue;
        }
        EXPECT_EQ(c->EditableText(), std::optional<QString>(QString())) << "an empty text is still a text to edit";
        EXPECT_TRUE(c->SetEditableText(QStringLiteral("l'été")));
        EXPECT_EQ(k.property(*c), QStringLiteral("l'été"));
        EXPECT_EQ(c->EditableText(), std::optional<QString>(QStringLiteral("l'été")));
        EXPECT_FALSE(c->SetEditableText(QStringLiteral("l'été"))) << "the same text changes nothing";
        EXPECT_TRUE(c->SetEditableText(QString()));
        EXPECT_EQ(k.property(*c), QString());
    }
}

// A copy keeps the kind: the paginator prints a cloned design as the
// original.
TEST(ReportControls, ACloneIsOfTheSameKind)
{
    TQuickRep report;
    TQRBand* detail = AddBand(report, rbDetail, 50);
    AddLabel(*detail, QStringLiteral("Total"), QRectF(0, 0, 300, 40));
    AddExpr(*detail, QStringLiteral("NOM"), QRectF(400, 0, 300, 40));
    AddControl<TQRSysData>(*detail, QRectF(800, 0, 300, 40));
    AddControl<TQRShape>(*detail, QRectF(1200, 0, 300, 40));
    std::unique_ptr<TQuickRep> copy = report.CloneReport();
    std::vector<TQRControlKind> kinds;
    for (const TQRPrintable* c : copy->Band(rbDetail)->Controls())
        kinds.push_back(c->ControlKind());
    EXPECT_EQ(kinds, (std::vector<TQRControlKind>{qkLabel, qkExpr, qkSysData, qkShape}));
    EXPECT_EQ(copy->Band(rbDetail)->Controls()[0]->EditableText(), std::optional<QString>(QStringLiteral("Total")));
}

} // namespace
