#pragma once
// Entry masks for constants and parameter values. A mask is chosen by a
// type letter; the edit keeps the mask's kind and the kind decides how the
// text typed is read back.
//
// The masks are written in the class library's syntax ("!90/00/0000;1;_":
// 0 a required digit, 9 an optional one, c an optional character, # a digit
// or sign; "!" puts unfilled optional positions first; ";1" keeps the
// literals; the last field is the blank). QtInputMask gives the same mask
// in Qt's syntax, where 9 and 0 have the opposite meanings.

#include <QString>

class QObject;

namespace mx {

enum TMaskKind : int {
    mkTime = 0,
    mkText = 1,
    mkDate = 2,
    mkLogical = 3,
    mkNumber = 4,
    mkDateTime = 5,
    mkNone = -1,
};

struct TFieldMask {
    TMaskKind kind = mkNone; // mkNone: the letter has no mask
    QString mask;            // class library syntax; empty for none
    int width = 0;           // the text kind's width
};

// The mask of a type letter ("T", "A", "D", "L", "N", "@"). Width 0 means
// 250.
TFieldMask MaskFor(const QString& letter, int width);

// The mask in Qt's QLineEdit syntax; the text kind has none (the edit's
// maximum length does its work).
QString QtInputMask(const TFieldMask& mask);

// Reads a typed text by kind: trimmed, mask blanks removed, checked. The
// value is returned as typed (cleaned), not reformatted. A text that is not
// of the kind raises EConvertError.
QString GetMaskedValue(TMaskKind kind, const QString& text);

// On an edit (any object with the text, inputMask and maxLength properties,
// such as a QLineEdit): sets its mask, remembers the kind in the dynamic
// property "mxMaskKind" and empties the text. A letter without a mask
// empties the mask and leaves the kind.
void SetupFieldMask(QObject* edit, const QString& letter, int width);
// Reads the edit's text by its remembered kind into Value.
void GetMaskedValue(const QObject* edit, QString& value);

inline constexpr const char* kMaskKindProperty = "mxMaskKind";

} // namespace mx
