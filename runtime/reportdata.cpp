#include "reportdata.h"

#include "platform/reportlink/dataclient.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

namespace morvrs {

namespace rs = platform::rs;

QString cellText(int type, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (type) {
    case 5:
        return value.toBool() ? QStringLiteral("Oui") : QStringLiteral("Non");
    case 6:
    case 7:
    case 8: {
        QString s = QLocale::c().toString(value.toDouble(), 'g', 15);
        s.replace(u'.', u',');
        return s;
    }
    case 9:
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case 10:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case 11:
        return value.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    default:
        return value.toString();
    }
}

bool readReportData(rs::DataClient& client, const ReportFile& report, int maxRecords, int channel, ReportData* out,
    QString* error)
{
    *out = ReportData();
    QString dataset = report.dataset;
    if (dataset.isEmpty()) {
        QStringList names;
        if (!client.datasets(&names, error))
            return false;
        if (names.isEmpty()) {
            *error = QStringLiteral("Le programme n'offre aucun ensemble de données.");
            return false;
        }
        dataset = names.first();
    }
    QStringList fieldNames;
    if (!client.fields(dataset, &fieldNames, error))
        return false;
    for (const QString& f : report.fields) {
        if (!fieldNames.contains(f)) {
            *error = QStringLiteral("Le champ %1 n'est pas dans %2.").arg(f, dataset);
            return false;
        }
    }
    const QStringList wanted = report.fields.isEmpty() ? fieldNames : report.fields;

    auto ch = rs::Channel::open(client, channel, dataset, error);
    if (!ch)
        return false;
    std::vector<int> entryOf;
    for (const QString& f : wanted) {
        int at = -1;
        for (size_t i = 0; i < ch->record().size(); ++i)
            if (ch->record()[i].name == f)
                at = int(i);
        if (at < 0) {
            *error = QStringLiteral("Le champ %1 n'est pas dans %2.").arg(f, dataset);
            return false;
        }
        const int type = ch->record()[size_t(at)].type;
        out->columns.push_back({f, report.caption(f), type, (type >= 2 && type <= 8) || type == 14});
        entryOf.push_back(at);
    }
    out->dataset = dataset;
    while (!ch->atEnd()) {
        QStringList row;
        for (size_t c = 0; c < entryOf.size(); ++c) {
            const rs::FieldEntry& e = ch->record()[size_t(entryOf[c])];
            if (e.type == 15 || e.type == 16) {
                QByteArray text;
                if (!ch->memo(e.name, &text, error))
                    return false;
                row << QString::fromUtf8(text);
            } else {
                row << cellText(e.type, e.null ? QVariant() : e.value);
            }
        }
        out->rows.push_back(row);
        if (maxRecords > 0 && int(out->rows.size()) >= maxRecords)
            break;
        if (!ch->next(error))
            return false;
    }
    return ch->close(error);
}

} // namespace morvrs
