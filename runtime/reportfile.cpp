#include "reportfile.h"

#include "platform/core/inifile.h"
#include "platform/core/systempaths.h"

#include <QDir>
#include <QFileInfo>

namespace morvrs {

namespace {

QString privateQueryFolder()
{
    auto ini = platform::IniFile::open(platform::windowsDirectory() + QStringLiteral("/MORVELIN.INI"));
    return ini->readString(QStringLiteral("Options"), QStringLiteral("PrivateQueryPath"));
}

} // namespace

bool ReportFile::load(const QString& file, QString* error, const QString& outputFolder)
{
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable()) {
        *error = QStringLiteral("Rapport %1 introuvable.").arg(file);
        return false;
    }
    auto ini = platform::IniFile::open(info.absoluteFilePath());
    ini->reload();
    const QString report = QStringLiteral("Report");
    if (!ini->sectionExists(report)) {
        *error = QStringLiteral("%1 : la section [Report] manque.").arg(file);
        return false;
    }
    fileName = info.absoluteFilePath();
    title = ini->readString(report, QStringLiteral("Title"));
    dataset = ini->readString(report, QStringLiteral("Dataset"));
    fields.clear();
    for (const QString& f : ini->readString(report, QStringLiteral("Fields")).split(u';', Qt::SkipEmptyParts))
        if (!f.trimmed().isEmpty())
            fields << f.trimmed();

    const QString output = ini->readString(report, QStringLiteral("Output"), QStringLiteral("printer")).toLower();
    if (output != u"printer" && output != u"pdf") {
        *error = QStringLiteral("%1 : Output=%2 n'est ni printer ni pdf.").arg(file, output);
        return false;
    }
    toPdf = output == u"pdf";
    const QString orientation
        = ini->readString(report, QStringLiteral("Orientation"), QStringLiteral("portrait")).toLower();
    if (orientation != u"portrait" && orientation != u"landscape") {
        *error = QStringLiteral("%1 : Orientation=%2 n'est ni portrait ni landscape.").arg(file, orientation);
        return false;
    }
    landscape = orientation == u"landscape";

    QString pdf = ini->readString(report, QStringLiteral("File"));
    if (pdf.isEmpty())
        pdf = info.completeBaseName() + QStringLiteral(".pdf");
    if (QDir::isRelativePath(pdf)) {
        const QString folder = !outputFolder.isEmpty() && QDir::isAbsolutePath(outputFolder) ? outputFolder
                                                                                             : privateQueryFolder();
        pdf = QDir(folder.isEmpty() ? info.absolutePath() : folder).absoluteFilePath(pdf);
    }
    pdfFile = QDir::cleanPath(pdf);

    captions.clear();
    for (const auto& kv : ini->sectionValues(QStringLiteral("Captions")))
        captions.insert(kv.first.toCaseFolded(), kv.second);
    variables = ini->sectionValues(QStringLiteral("Variables"));
    return true;
}

namespace {

// Each variable's place in the list, by its case-folded name; the first of
// a name wins, as when the file is read.
QHash<QString, qsizetype> variableIndex(const QList<QPair<QString, QString>>& variables)
{
    QHash<QString, qsizetype> index;
    index.reserve(variables.size());
    for (qsizetype i = 0; i < variables.size(); ++i) {
        const QString name = variables[i].first.toCaseFolded();
        if (!index.contains(name))
            index.insert(name, i);
    }
    return index;
}

} // namespace

bool ReportFile::setVariable(const QString& name, const QString& value)
{
    QString unknown;
    return setVariables({{name, value}}, &unknown);
}

bool ReportFile::setVariables(const QList<QPair<QString, QString>>& values, QString* unknown)
{
    const QHash<QString, qsizetype> index = variableIndex(variables);
    for (const auto& [name, value] : values) {
        const auto it = index.constFind(name.toCaseFolded());
        if (it == index.cend()) {
            *unknown = name;
            return false;
        }
        variables[*it].second = value;
    }
    return true;
}

QString ReportFile::expandedTitle() const
{
    return expandVariables(title, variables);
}

QString ReportFile::caption(const QString& field) const
{
    return captions.value(field.toCaseFolded(), field);
}

QString expandVariables(const QString& text, const QList<QPair<QString, QString>>& variables)
{
    const QHash<QString, qsizetype> index = text.contains(u'{') ? variableIndex(variables) : QHash<QString, qsizetype>();
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if ((c == u'{' || c == u'}') && i + 1 < text.size() && text[i + 1] == c) {
            out += c;
            ++i;
            continue;
        }
        if (c == u'{') {
            const qsizetype end = text.indexOf(u'}', i + 1);
            if (end > i) {
                const auto it = index.constFind(text.mid(i + 1, end - i - 1).toCaseFolded());
                if (it != index.cend()) {
                    out += variables[*it].second;
                    i = end;
                    continue;
                }
            }
        }
        out += c;
    }
    return out;
}

bool parseInitialValues(const QString& text, QList<QPair<QString, QString>>* values, qint64* pid, QString* error)
{
    values->clear();
    const QString tail = QStringLiteral("\",\"#");
    const qsizetype split = text.lastIndexOf(tail);
    if (!text.startsWith(u'"') || split < 0 || !text.endsWith(u'"') || text.size() < split + tail.size() + 2) {
        *error = QStringLiteral("Valeurs initiales mal formées : %1").arg(text);
        return false;
    }
    bool ok = false;
    *pid = text.mid(split + tail.size(), text.size() - split - tail.size() - 1).toLongLong(&ok, 16);
    if (!ok || *pid <= 0) {
        *error = QStringLiteral("Valeurs initiales sans numéro de processus : %1").arg(text);
        return false;
    }
    const QString lines = text.mid(1, split - 1);
    if (lines.isEmpty())
        return true;
    for (const QString& piece : lines.split(QStringLiteral(", "))) {
        const qsizetype gt = piece.indexOf(u'>');
        if (gt < 0) {
            if (values->isEmpty()) {
                *error = QStringLiteral("Valeur initiale sans nom : %1").arg(piece);
                return false;
            }
            values->last().second += QStringLiteral(", ") + piece;
            continue;
        }
        values->append({piece.left(gt).trimmed(), piece.mid(gt + 1)});
    }
    return true;
}

} // namespace morvrs
