#include "optionsettings.h"

#include "engine/destination/destinationtype.h"
#include "engine/global/queryglobal.h"
#include "engine/settings/global.h"
#include "engine/settings/sessionlanguage.h"
#include "engine/settings/mru.h"

#include "platform/core/inifile.h"

namespace mx {
namespace {

const QString kLang = QStringLiteral("Lang");
const QString kVersion = QStringLiteral("Version");
const QString kMruSize = QStringLiteral("MRUsize");
const QString kEnglish = QStringLiteral("English");

// Lower case without accents: "Français" and "FRANCAIS" read alike.
QString plainText(const QString& text)
{
    const QString decomposed = text.trimmed().normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toCaseFolded();
    }
    return out;
}

} // namespace

const QString TOptionSettings::kOptions = QStringLiteral("Options");
const QString TOptionSettings::kWord = QStringLiteral("MSWord");
const QString TOptionSettings::kExcel = QStringLiteral("MSExcel");

TOptionSettings::TOptionSettings(std::shared_ptr<platform::IniFile> file, TMRUs& mrus)
    : m_file(std::move(file)), m_mrus(mrus)
{
}

QStringList TOptionSettings::LanguageEntries()
{
    return {QStringLiteral("Francais"), kEnglish};
}

QStringList TOptionSettings::WordVersions()
{
    return {QStringLiteral("Word 6.0"), QStringLiteral("Word 7.0/95"), QStringLiteral("Word 97")};
}

QStringList TOptionSettings::ExcelVersions()
{
    return {QStringLiteral("Excel 5.0"), QStringLiteral("Excel 7.0/95"), QStringLiteral("Excel 97")};
}

int TOptionSettings::LanguageIndex(const QString& stored)
{
    // Nothing stored: the language the session shows.
    const QString wanted = plainText(stored.trimmed().isEmpty() ? DefaultLanguage() : stored);
    const QStringList entries = LanguageEntries();
    for (int i = 0; i < entries.size(); ++i) {
        if (plainText(entries[i]) == wanted)
            return i;
    }
    return -1;
}

bool TOptionSettings::HasDestinationType(const TDestinationList* types, const QString& name)
{
    return types && types->FindByName(name);
}

TOptionValues TOptionSettings::Read()
{
    TOptionValues v;
    v.privateQueryPath = m_file->readString(kOptions, ConfigKeyName(csPrivateQueryPath));
    v.dmPath = m_file->readString(kOptions, ConfigKeyName(csDMPath));
    v.mruSize = m_mrus.MaxCount();
    m_storedLang = m_file->readString(kOptions, kLang);
    m_storedLangIndex = LanguageIndex(m_storedLang);
    v.lang = m_storedLangIndex >= 0 ? m_storedLangIndex : 0;
    // An index that is no number, or names no entry, selects the first
    // entry (a stored 7 would otherwise select nothing and OK would store
    // -1).
    const auto index = [&](const QString& section, const QString& key, int count) {
        const int i = m_file->readInteger(section, key, 0);
        return i >= 0 && i < count ? i : 0;
    };
    const int languages = int(LanguageEntries().size());
    v.wordLanguage = index(kWord, kLang, languages);
    v.wordVersion = index(kWord, kVersion, int(WordVersions().size()));
    v.excelLanguage = index(kExcel, kLang, languages);
    v.excelVersion = index(kExcel, kVersion, int(ExcelVersions().size()));
    return v;
}

void TOptionSettings::Write(const TOptionValues& v)
{
    const auto check = [&](bool written) {
        if (!written)
            throw EIniFileException(QStringLiteral("Unable to write to %1").arg(m_file->fileName()));
    };
    // The lists' size is also written at exit; writing it now keeps the
    // choice should the program not end normally.
    m_mrus.SetMaxCount(v.mruSize);
    check(m_file->writeInteger(kOptions, kMruSize, m_mrus.MaxCount()));
    check(m_file->writeString(kOptions, ConfigKeyName(csPrivateQueryPath), v.privateQueryPath));
    check(m_file->writeString(kOptions, ConfigKeyName(csDMPath), v.dmPath));
    // The running program's destinations follow the new private folder at
    // once, as the start-up would set it (they kept the old one until the
    // next start).
    if (TMxQueryGlobal* global = QueryGlobal())
        global->SetPrivateQueryPath(v.privateQueryPath);
    const QStringList entries = LanguageEntries();
    const int lang = v.lang >= 0 && v.lang < entries.size() ? v.lang : 0;
    // The stored spelling stays while its entry stays selected: "Français"
    // is not rewritten "Francais" (the language component is given the
    // name as stored).
    const bool keep = lang == m_storedLangIndex && !m_storedLang.trimmed().isEmpty();
    check(m_file->writeString(kOptions, kLang, keep ? m_storedLang : entries[lang]));
    check(m_file->writeInteger(kWord, kLang, v.wordLanguage));
    check(m_file->writeInteger(kWord, kVersion, v.wordVersion));
    check(m_file->writeInteger(kExcel, kLang, v.excelLanguage));
    check(m_file->writeInteger(kExcel, kVersion, v.excelVersion));
}

} // namespace mx
