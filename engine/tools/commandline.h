#pragma once
// The program's command line.

#include <QString>
#include <QStringList>

namespace mx {

// The arguments after the program name: those set by
// SetCommandLineArguments, else the application's, else the process's.
QStringList CommandLineArguments();
// Replaces the arguments the engine sees (the start-up routine, tests).
void SetCommandLineArguments(const QStringList& args);
// Forgets the replacement: the process's own arguments again.
void ClearCommandLineArguments();

// True for a switch written with a slash: "/" followed by one plain word
// (letters, digits, "_"), such as /EXE or /NOSPLASH. Anything else that
// starts with "/" is an absolute file name.
bool IsSlashSwitch(const QString& arg);
// A file name given on the command line, made absolute against the folder
// the program was started in (not the working directory of the moment).
QString ResolveCommandLineFile(const QString& arg);

// Looks the command line up. By name: an argument "-Name" or "/Name"
// (ignoring case) gives the argument after it as Value (empty when it is
// the last). By extension: the first argument longer than Name whose last
// characters equal Name (ignoring case) is Value itself, made absolute.
// Arguments of one character are ignored; Value is empty when nothing
// matches.
void GetCommandParam(bool byExtension, const QString& name, QString& value);

} // namespace mx
