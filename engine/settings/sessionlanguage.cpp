#include "sessionlanguage.h"

#include "dlllang.h"
#include "global.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace mx {
namespace {

std::unique_ptr<QTranslator>& qtTranslator()
{
    static auto* t = new std::unique_ptr<QTranslator>;
    return *t;
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
}

} // namespace mx
