// The stored form of the string lists: their lines, as one list of
// strings under the property "Strings".

#include "reader.h"
#include "writer.h"

#include "engine/core/sqlsyntax.h"
#include "engine/core/strings.h"

namespace mx {

void TStrings::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        QStringLiteral("Strings"),
        [this](TMxReader& r) {
            BeginUpdate();
            Clear();
            r.ReadListBegin();
            while (!r.EndOfList())
                Add(r.ReadString());
            r.ReadListEnd();
            EndUpdate();
        },
        [this](TMxWriter& w) {
            w.WriteListBegin();
            for (const Line& line : m_lines)
                w.WriteString(line.text);
            w.WriteListEnd();
        },
        true);
}

void TConcatStringList::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        QStringLiteral("Strings"),
        [this](TMxReader& r) {
            QStringList lines;
            r.ReadListBegin();
            while (!r.EndOfList())
                lines << r.ReadString();
            r.ReadListEnd();
            m_lines = lines;
        },
        [this](TMxWriter& w) {
            w.WriteListBegin();
            for (const QString& line : m_lines)
                w.WriteString(line);
            w.WriteListEnd();
        },
        true);
}

} // namespace mx
