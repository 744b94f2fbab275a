// Format: the system's format strings, type-safe. A pattern that does not
// fit its arguments raises a conversion error and never reads past them.

#include "engine/core/exceptions.h"
#include "engine/core/format.h"

#include "tests/support/testsupport.h"

using namespace mx;

TEST(Format, PatternsAndTheirArguments)
{
    struct Case {
        const char* pattern;
        std::vector<FmtArg> args;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"plain text", {}, "plain text"},
        {"100%%", {}, "100%"},
        {"%s", {"abc"}, "abc"},
        {"%s%d-%s", {"TMxTable", 3, "CUSTOMER"}, "TMxTable3-CUSTOMER"},
        {"&%d", {1}, "&1"},
        {"History_%d", {10}, "History_10"},
        {"%s.%s.%s", {"1", "0", "17"}, "1.0.17"},
        {"%d", {-42}, "-42"},
        {"%u", {-1}, "4294967295"},
        {"%x", {255}, "FF"},
        {"%.4x", {255}, "00FF"},
        {"%5d|", {42}, "   42|"},
        {"%-5d|", {42}, "42   |"},
        {"%.3d", {-7}, "-007"},
        {"%*d", {4, 7}, "   7"},
        {"%-*s|", {3, "a"}, "a  |"},
        {"%.2s", {"abcdef"}, "ab"},
        {"%.*s", {1, "abc"}, "a"},
        {"%f", {1.5}, "1.50"},
        {"%.3f", {2.0 / 3}, "0.667"},
        {"%8.2f|", {-3.14159}, "   -3.14|"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.0n", {-1234.0}, "-1,234"},
        {"%e", {1.5}, "1.50000000000000E+000"},
        {"%.3e", {-12345.0}, "-1.23E+004"},
        {"%g", {0.1}, "0.1"},
        {"%0:s-%1:s-%0:s", {"a", "b"}, "a-b-a"},
        {"%1:s %s", {"a", "b", "c"}, "b c"},
        {"%S %D", {"x", 5}, "x 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(Format(QString::fromUtf8(c.pattern), c.args), QString::fromUtf8(c.expected));
    }
}

TEST(Format, MismatchesRaiseAConversionError)
{
    struct Case {
        const char* pattern;
        std::vector<FmtArg> args;
    };
    const std::vector<Case> cases = {
        {"%d", {"text"}},             // wrong kind
        {"%s", {12}},                 // wrong kind
        {"%f", {12}},                 // an integer is no float
        {"%s", {}},                   // no argument at all
        {"%s %s", {"one"}},           // one too few
        {"%3:s", {"a"}},              // index past the arguments
        {"%", {"a"}},                 // pattern ends in the middle
        {"%5", {1}},                  // no type
        {"%q", {1}},                  // unknown type
        {"%*d", {"x", 1}},            // a width that is no integer
        {"%999999d", {1}},            // a width beyond reason
        {"%*d", {1000000000, 1}},     // the same, taken from the arguments
        {"%.*s", {1000000000, "a"}},  // a precision beyond reason
        {"%p", {1}},                  // a pointer type for an integer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        try {
            Format(QString::fromUtf8(c.pattern), c.args);
            FAIL() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Format '%1' invalid or incompatible with argument").arg(c.pattern));
        }
    }
}
