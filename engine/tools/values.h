#pragma once
// Small checks and conversions of values that users type.

#include <QString>
#include <QStringList>

namespace mx {

class TStrings;

// "D": Value must be a date; "N": a number; any other letter: no check. A
// failed check raises EMxAbort with Format(Message, Value, the kind's word):
// Translate("une date") or Translate("un nombre"). Message is a pattern
// such as "La valeur %s doit être %s" (already translated by the caller or
// not: it is translated here).
void CheckValueType(const QString& letter, const QString& value, const QString& message);

// Empties List, then cuts Text at every character found in Separators;
// empty pieces are dropped.
void SplitString(const QString& text, QStringList& list, const QString& separators);
void SplitString(const QString& text, TStrings& list, const QString& separators);

int StrToIntDefault(const QString& text, int def);
inline int IMax(int a, int b) { return a > b ? a : b; }
inline int IMin(int a, int b) { return a < b ? a : b; }
// (A div B) * B, rounding toward zero; EIntOverflow on overflow, and
// EConvertError when B is 0.
int RoundDownTo(int a, int b);

// Blanks (and control characters) removed at both ends.
QString TrimSpaces(const QString& text);
// Every "_" and blank removed.
QString RemoveMaskBlanks(const QString& text);

// Stand-by routines: they do nothing.
inline void IgnoreValue(qint64) {}
inline void EmptyProc() {}
inline void DebugMessage(const QString&) {}

} // namespace mx
