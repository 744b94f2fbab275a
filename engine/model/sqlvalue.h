#pragma once
// Constant values written as SQL text, and the system variables.
//
// FormatSQLValue is the one place where text typed by a user (a constant of
// a formula, a parameter value, an entry of a value list) becomes SQL: every
// value is either quoted with its quoters doubled, or checked to hold only
// what its type allows.

#include "engine/core/sqlsyntax.h"

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace mx {

// A value as SQL text by its type letter:
//  "A" (and any letter without rules of its own): a text constant. An
//      enclosing pair of quoters is taken off, then every quoter inside is
//      doubled and the whole is enclosed in the quoter. An empty
//      ConstantQuoter means "'".
//  "N": a number, read with the format settings (their decimal separator,
//      a comma in French, or a point), written with "."; anything else
//      raises EMxException.
//  "L": TRUE or FALSE (from T/F, O/N, Y/N, Vrai/Faux, 1/0...).
//  "T": a time of day hh:mm[:ss], written hh:mm:ss in the constant quoter.
//  "D": a date typed in the dialect's editor order (SQLDateEditor, "d/m/y"
//      when empty), written in its formatter (SQLDateFormater, "%d/%m/%y"
//      when empty) with day and month on two digits, and enclosed in the
//      constant quoter under scQuoteDates.
//  "@": a date, a blank and a time: the date as for "D", the time right
//      after the last date part.
// A value that breaks these rules raises EMxException ("Date incorrecte :
// %s " for dates); an editor or formatter that does not name d, m and y
// once each raises EMxException "Bad format : " with that text.
QString FormatSQLValue(const QString& value, QChar typeLetter, const TSQLSyntaxProperties& syntax);

// A value typed by the user as a LIKE pattern: a text constant as above,
// the prefix and suffix (the pattern's "%") put inside its quoters.
QString FormatSQLLikeValue(const QString& value, const QString& prefix, const QString& suffix, const TSQLSyntaxProperties& syntax);
// The pattern that matches any text, as the right side of a LIKE:
// " LIKE '%'".
QString SQLLikeAnything(const TSQLSyntaxProperties& syntax);
// Values already written as SQL, as the list an IN takes: "(a, b)".
QString SQLValueList(const QStringList& values);
// Patterns already written as SQL, as the right side of a LIKE that matches
// any of them: " LIKE a OR operand LIKE b".
QString SQLLikeAny(const QString& operand, const QStringList& patterns);

// The clock behind the system variables. An empty clock is the real one.
using TSystemClock = std::function<QDateTime()>;
TSystemClock SetSystemClock(TSystemClock clock); // returns the previous one
QDateTime SystemNow();

// The value of a system variable as displayed with the format settings
// ("AUJOURD'HUI": the date; "MAINTENANT": date and time) and its type
// letter ("D" or "@").
// False for a name that is no system variable.
bool GetVarSystemValue(const QString& name, QString& value, QChar& typeLetter);
bool GetVarSystemValue(const QString& name, QString& value);
// The value of a system variable as SQL text in a dialect, written through
// FormatSQLValue. An unknown name raises EMxException.
QString SystemVariableSQL(const QString& name, const TSQLSyntaxProperties& syntax);

} // namespace mx
