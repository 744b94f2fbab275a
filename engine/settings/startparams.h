#pragma once
// The command line, read once into names and values that any part of the
// programs can look up (names without regard to case).
//
//   -name value   NAME (upper-cased) = value; a later -name replaces a
//                 pending one, a pending name at the end is dropped
//   /WORD         WORD = "TRUE" (a plain word only: /home/u/q.mqr is a file)
//   anything else Param0, Param1, ... in order; these are file names, made
//                 absolute against the folder the program was started in
//
// A name given twice keeps its first place and its last value.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace mx {

class TStartParams {
public:
    // args: the arguments after the program name.
    explicit TStartParams(const QStringList& args);

    QString Values(const QString& name) const; // empty when absent
    bool Contains(const QString& name) const;
    int Count() const { return int(m_values.size()); }
    QString Names(int i) const { return m_values.value(i).first; }
    QString ValueFromIndex(int i) const { return m_values.value(i).second; }
    // The number of plain arguments (Param0 ... ParamN-1).
    int ParamCount() const { return m_paramCount; }
    QString Param(int i) const;

private:
    void store(const QString& name, const QString& value);

    QList<QPair<QString, QString>> m_values;
    int m_paramCount = 0;
};

// The process's command line, read on first use from CommandLineArguments.
TStartParams& StartParams();
// Reads the command line again (after SetCommandLineArguments; tests).
void ResetStartParams();

// True when SRV, NOSPLASH or REGSERVER is "TRUE" (ignoring case).
bool IsQuietStart();

} // namespace mx
