// The controls of a band as the paginator and the report editor see them:
// each kind answers what it is and the text the user edits, whether it
// was made here or read by its stored class name.

#include "reporttest.h"

#include <functional>

using namespace mx;
using namespace mx::rpt;

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
        {"TQRLabel", ckLabel, [](const TQRPrintable& c) { return static_cast<const TQRLabel&>(c).Caption(); }},
        {"TQRExpr", ckExpr, [](const TQRPrintable& c) { return static_cast<const TQRExpr&>(c).Expression(); }},
        {"TQRSysData", ckSysData, [](const TQRPrintable& c) { return static_cast<const TQRSysData&>(c).Text(); }},
        {"TQRShape", ckShape, nullptr},
        {"TQRPrintable", ckPlain, nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.className);
        std::unique_ptr<TQRComponent> part = CreatePart(QString::fromLatin1(k.className));
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
    AddControl<TQRShape>(*detail, QRectF(400, 0, 300, 40));
    AddControl<TQRPrintable>(*detail, QRectF(800, 0, 300, 40));
    std::unique_ptr<TQuickRep> copy = report.CloneReport();
    std::vector<TQRControlKind> kinds;
    for (const TQRPrintable* c : copy->Band(rbDetail)->Controls())
        kinds.push_back(c->ControlKind());
    EXPECT_EQ(kinds, (std::vector<TQRControlKind>{ckLabel, ckShape, ckPlain}));
    EXPECT_EQ(copy->Band(rbDetail)->Controls()[0]->EditableText(), std::optional<QString>(QStringLiteral("Total")));
}

} // namespace
