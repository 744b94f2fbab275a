#include "adminhelpers.h"

#include "engine/core/format.h"
#include "engine/core/sqlsyntax.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/global/datasource.h"
#include "engine/global/fieldtype.h"
#include "engine/settings/global.h"

namespace mx {

namespace {

TProgressService& defaultProgress()
{
    static TProgressService service;
    return service;
}

TProgressService* g_progress = nullptr;

// Lets pending events through, user input excepted, so that no command is
// started again under a running one.
void letMessagesThrough()
{
    UserService().ProcessMessages();
}

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

// The index of the last folder separator, -1 when none.
qsizetype lastSeparator(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isSeparator(path.at(i)))
            return i;
    return -1;
}

bool isAliasForm(const QString& name)
{
    return name.startsWith(u':');
}

// The end of the alias in ":ALIAS:TABLE": the index of the second ":", or
// the whole length when there is none.
qsizetype aliasEnd(const QString& name)
{
    const qsizetype second = name.indexOf(u':', 1);
    return second < 0 ? name.size() : second;
}

const char* const kOutputNames[] = {"Dest_Report", "Dest_File", "Dest_Graph", "Dest_CrossTab", "Dest_Table"};

} // namespace

void TProgressService::Start(int maximum)
{
    m_maximum = maximum;
    m_position = 0;
    m_shown = true;
}

void TProgressService::Step()
{
    ++m_position;
}

void TProgressService::End()
{
    m_shown = false;
}

TProgressService& ProgressService()
{
    return g_progress ? *g_progress : defaultProgress();
}

TProgressService* SetProgressService(TProgressService* service)
{
    TProgressService* old = g_progress;
    g_progress = service;
    return old;
}

void ProgressStart(int maximum)
{
    ProgressService().Start(maximum);
    letMessagesThrough();
}

void ProgressStep()
{
    ProgressService().Step();
    letMessagesThrough();
}

void ProgressEnd()
{
    ProgressService().End();
    letMessagesThrough();
}

QString CapitalizeFirst(const QString& text)
{
    if (text.isEmpty())
        return text;
    QString result = text.toLower();
    result[0] = result.at(0).toUpper();
    return result;
}

QString FormatLangCode(const QString& pattern)
{
    const TGlobal* global = AppGlobal();
    const QString code = global ? CapitalizeFirst(global->LangCode()) : QString();
    return Format(pattern, {code});
}

QString OutputName(TDestinationOutput output)
{
    const int index = int(output);
    if (index < 0 || index >= int(std::size(kOutputNames)))
        return {};
    return QString::fromLatin1(kOutputNames[index]);
}

TDestinationOutput OutputFromName(const QString& name)
{
    for (int i = 0; i < int(std::size(kOutputNames)); ++i) {
        const QString entry = QString::fromLatin1(kOutputNames[i]);
        if (name == Translate(entry) || name == entry)
            return TDestinationOutput(i);
    }
    return doReport;
}

QChar FindShortType(const TFieldTypeList& types, const QString& fullType)
{
    return types.FindShortType(fullType);
}

bool SameLongType(const TFieldTypeList& types, QChar a, QChar b)
{
    return types.ShortToLongType(a) == types.ShortToLongType(b);
}

void SetSyntaxProperties(TDbEngDatasource* datasource, const TSQLSyntaxProperties& syntax)
{
    if (!datasource)
        return;
    datasource->SetConstantQuoter(syntax.ConstantQuoter);
    datasource->SetFieldQuoter(syntax.FieldQuoter);
    datasource->SetSQLStringConcatOperator(syntax.ConcatOperator);
    datasource->SetSQLDateEditor(syntax.SQLDateEditor);
    datasource->SetSQLDateFormater(syntax.SQLDateFormater);
    datasource->SetSQLCapabilities(syntax.Capabilities);
    datasource->SetSQLLimitRowsSyntax(syntax.LimitRowsSyntax);
    datasource->SetSQLLimitRowCount(syntax.LimitRowCount);
}

bool IsPlainFileName(const QString& text)
{
    return !text.contains(u':') && !text.contains(u'\\') && !text.contains(u'/');
}

QString ExtractAliasOrPath(const QString& tableFileName)
{
    if (tableFileName.isEmpty())
        return {};
    if (isAliasForm(tableFileName))
        return tableFileName.mid(1, aliasEnd(tableFileName) - 1);
    const qsizetype cut = lastSeparator(tableFileName);
    return cut < 0 ? QString() : tableFileName.left(cut + 1);
}

QString ExtractAliasFileName(const QString& tableFileName)
{
    if (tableFileName.isEmpty())
        return {};
    if (isAliasForm(tableFileName))
        return tableFileName.mid(aliasEnd(tableFileName) + 1);
    const qsizetype cut = lastSeparator(tableFileName);
    return tableFileName.mid(cut + 1);
}

} // namespace mx
