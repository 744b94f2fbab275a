// The macro line parser: the command word, when arguments are read, how
// each is trimmed, and where the list ends.

#include "query/dde/ddemacro.h"

#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using mx::dde::ParseMacro;

TEST(DdeMacro, SplitsCommandAndArguments)
{
    struct Case {
        const char* line;
        const char* command;
        QStringList args;
    };
    const Case cases[] = {
        {"", "", {}},
        {"NEWQUERY", "NEWQUERY", {}},
        {"newquery", "NEWQUERY", {}},                       // no "(": the whole line, upper-cased
        {"run(v)", "RUN", {"v"}},                           // the command is upper-cased, the arguments not
        {" RUN(V)", " RUN", {"V"}},                         // a leading blank stays: an unknown command
        {"RUN (V)", "RUN ", {"V"}},
        {"RUN(V", "RUN", {}},                               // no closing ")": no arguments
        {"RUN(V) ", "RUN", {}},                             // ")" must end the line
        {"LOAD(V, /tmp/a.mqr, Admin, secret)", "LOAD", {"V", "/tmp/a.mqr", "Admin", "secret"}},
        {"LOAD( 'V' , \"/tmp/a b.mqr\" )", "LOAD", {"V", "/tmp/a b.mqr"}},
        {"LOAD(' \"V\" ')", "LOAD", {"\"V\""}},             // one pass each: blanks, single quotes, double quotes, blanks
        {"LOAD( '\"V\"' )", "LOAD", {"V"}},
        {"LOAD(\"'V'\")", "LOAD", {"'V'"}},                 // single quotes go before double ones
        {"LOAD(''V'')", "LOAD", {"V"}},                     // every leading and trailing quote
        {"LOAD(,/tmp/a.mqr)", "LOAD", {}},                  // an empty first argument ends the list
        {"LOAD(V,,/tmp/a.mqr)", "LOAD", {"V"}},
        {"LOAD(V, '',/tmp/a.mqr)", "LOAD", {"V"}},          // empty once trimmed
        {"LOAD(V,'a,b')", "LOAD", {"V", "a", "b"}},         // a comma inside quotes still splits
        {"LOAD(V,a(b))", "LOAD", {"V", "a(b)"}},            // only the last ")" is taken off
        {"RUN()", "RUN", {}},
        {"GETEOF(Ventes par produit)", "GETEOF", {"Ventes par produit"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const mx::dde::TMacro macro = ParseMacro(QString::fromUtf8(c.line));
        EXPECT_EQ(macro.command, QString::fromUtf8(c.command));
        EXPECT_EQ(macro.args, c.args);
    }
}
