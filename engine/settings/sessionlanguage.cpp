#include "sessionlanguage.h"

#include "dlllang.h"
#include "global.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>
#include <optional>

namespace mx {
namespace {

std::unique_ptr<QTranslator>& qtTranslator()
{
    static auto* t = new std::unique_ptr<QTranslator>;
    return *t;
}

// The locale Qt's widgets used before the session chose its own.
std::optional<QLocale>& previousLocale()
{
    static auto* l = new std::optional<QLocale>;
    return *l;
}

} // namespace

QString DefaultLanguage()
{
    return QStringLiteral("Francais");
}

QString TipsSectionName(const TGlobal& global, const QString& program)
{
    // The installation's sections are named after the Options' entries.
    const QString code = global.LangCode();
    QString language = global.Lang() ? global.Lang()->Language() : QString();
    if (language.isEmpty() || code.compare(QLatin1String("Fr"), Qt::CaseInsensitive) == 0)
        language = DefaultLanguage();
    else if (code.compare(QLatin1String("En"), Qt::CaseInsensitive) == 0)
        language = QStringLiteral("English");
    return QStringLiteral("Tips.") + program + u'.' + language;
}

bool LoadQtTranslation(const QString& langCode)
{
    UnloadQtTranslation();
    if (!QCoreApplication::instance() || langCode.isEmpty())
        return false;
    // Dates and sizes in Qt's dialogs in the session's language too (the
    // program's own values are formatted by FormatSettings, never by it).
    const QLocale session(langCode.toLower());
    if (session.language() != QLocale::C) {
        previousLocale() = QLocale();
        QLocale::setDefault(session);
    }
    auto t = std::make_unique<QTranslator>();
    if (!t->load(QStringLiteral("qtbase_") + langCode.toLower(), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(t.get()))
        return false;
    qtTranslator() = std::move(t);
    return true;
}

void UnloadQtTranslation()
{
    // The translator takes itself out of the application as it goes.
    qtTranslator().reset();
    if (previousLocale()) {
        QLocale::setDefault(*previousLocale());
        previousLocale().reset();
    }
}

} // namespace mx
