#pragma once
// The macros other programs send to the query program, one a line:
// COMMAND or COMMAND(argument, argument...).
//
// The command is the text before the first "(" upper-cased, as it stands
// (a leading blank makes it unknown); a line without "(" is its own
// command. The arguments are read only when the text after "(" ends with
// ")". Each argument is the text up to the next "," with its blanks, then
// its single quotes, then its double quotes, then its blanks taken off
// both ends; the first empty one ends the list. Commas inside quotes are
// not protected: a value holding a comma cannot be passed.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

namespace mx::dde {

struct TMacro {
    QString command; // upper-cased; empty for an empty line
    QStringList args;
};

TMacro ParseMacro(const QString& line);

// The macros whose answer is read from the item "Data" afterwards.
bool MacroFillsData(const QString& command);

// Overwrites a text that held a password before it is let go, so that
// nothing of it stays in the program's memory once it has been checked.
void WipeText(QString& text) noexcept;
void WipeText(QByteArray& bytes) noexcept;
void WipeText(std::string& text) noexcept;
void WipeText(QStringList& texts) noexcept;
void WipeText(TMacro& macro) noexcept;

} // namespace mx::dde
