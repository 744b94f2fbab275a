#include "reportneed.h"

#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/stream/reader.h"
#include "engine/stream/safefile.h"

#include "report/reportdestination.h"

#include <QFile>

namespace mx {
namespace {

// The plain bytes of an object file; empty when they are none (no
// resource header).
QByteArray objectFile(const QByteArray& file)
{
    QByteArray plain = PlainFileBytes(file);
    return plain.startsWith(QByteArrayView(kResourceStart, sizeof kResourceStart)) ? plain : QByteArray();
}

// Whether the destination record at pos is of one of types and has a
// file name or its driver's settings: its properties Name, FileName and
// BinProp.
bool needsReportLayer(const QByteArray& stream, qsizetype pos, const QStringList& types)
{
    try {
        TMxReader reader(stream.mid(pos));
        reader.ReadStr(); // class name
        reader.ReadStr(); // no component name
        QString name;
        QString fileName;
        bool settings = false;
        while (!reader.EndOfList()) {
            const QString property = reader.ReadStr();
            if (property.compare(QStringLiteral("Name"), Qt::CaseInsensitive) == 0)
                name = reader.ReadString();
            else if (property.compare(QStringLiteral("FileName"), Qt::CaseInsensitive) == 0)
                fileName = reader.ReadString();
            else {
                settings = settings || property.compare(QStringLiteral("BinProp"), Qt::CaseInsensitive) == 0;
                reader.SkipValue();
            }
        }
        return (!fileName.isEmpty() || settings) && types.contains(name, Qt::CaseInsensitive);
    } catch (const std::exception&) {
    }
    return false;
}

} // namespace

QStringList ReportLayerTypes(const TDestinationList* types)
{
    QStringList names;
    for (int i = 0; types && i < types->Count(); ++i) {
        const TDestinationItem* t = types->Items(i);
        if (t->Output() == doReport && t->DllName().compare(QString::fromLatin1(rpt::kReportModule), Qt::CaseInsensitive) == 0)
            names << t->Name();
    }
    if (names.isEmpty())
        names << QString::fromLatin1(rpt::kReportDestinationType);
    return names;
}

bool QueryFileNeedsReportLayer(const QString& queryFile, const QStringList& reportTypes)
{
    // What cannot be read here is told by the run's own load.
    QByteArray bytes;
    try {
        bytes = ReadObjectFileBytes(queryFile);
    } catch (const std::exception&) {
        return false;
    }
    const QByteArray stream = objectFile(bytes);
    if (stream.isEmpty())
        return false;
    const QByteArray className = TQueryDestinationItem::staticClass().name.toLatin1();
    const QByteArray pattern = char(className.size()) + className;
    const QStringList types = reportTypes.isEmpty() ? ReportLayerTypes(DestinationTypes()) : reportTypes;
    for (qsizetype at = stream.indexOf(pattern); at >= 0; at = stream.indexOf(pattern, at + 1))
        if (needsReportLayer(stream, at, types))
            return true;
    return false;
}

} // namespace mx
