#include "ddemacro.h"

namespace mx::dde {
namespace {

// Takes every leading and every trailing c off text.
void strip(QString& text, QChar c)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == c)
        ++begin;
    while (end > begin && text[end - 1] == c)
        --end;
    text = text.mid(begin, end - begin);
}

QString trimArgument(QString text)
{
    strip(text, u' ');
    strip(text, u'\'');
    strip(text, u'"');
    strip(text, u' ');
    return text;
}

} // namespace

TMacro ParseMacro(const QString& line)
{
    TMacro macro;
    if (line.isEmpty())
        return macro;
    const qsizetype open = line.indexOf(u'(');
    if (open < 0) {
        macro.command = line.toUpper();
        return macro;
    }
    macro.command = line.left(open).toUpper();
    QString rest = line.mid(open + 1);
    if (!rest.endsWith(u')'))
        return macro;
    rest.chop(1);
    while (!rest.isEmpty()) {
        const qsizetype comma = rest.indexOf(u',');
        const QString piece = comma < 0 ? rest : rest.left(comma);
        rest = comma < 0 ? QString() : rest.mid(comma + 1);
        const QString arg = trimArgument(piece);
        if (arg.isEmpty())
            break;
        macro.args << arg;
    }
    return macro;
}

bool MacroFillsData(const QString& command)
{
    return command == u"GETEOF" || command == u"GETRECORD";
}

void WipeText(QString& text) noexcept
{
    // Only a buffer of its own is overwritten: a shared one belongs to
    // another text too, which wipes it when it goes.
    if (!text.isDetached()) {
        text = QString();
        return;
    }
    volatile char16_t* p = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        p[i] = 0;
    text.clear();
    text.squeeze();
}

void WipeText(QByteArray& bytes) noexcept
{
    if (!bytes.isDetached()) {
        bytes = QByteArray();
        return;
    }
    volatile char* p = bytes.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        p[i] = 0;
    bytes.clear();
    bytes.squeeze();
}

void WipeText(std::string& text) noexcept
{
    volatile char* p = text.data();
    for (size_t i = 0; i < text.size(); ++i)
        p[i] = 0;
    text.clear();
    text.shrink_to_fit();
}

void WipeText(QStringList& texts) noexcept
{
    for (QString& t : texts)
        WipeText(t);
    texts.clear();
}

void WipeText(TMacro& macro) noexcept
{
    WipeText(macro.args);
}

} // namespace mx::dde
