#include "destinationtype.h"

#include "querydestination.h"

#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/destfactories.h"
#include "engine/settings/global.h"
#include "engine/tools/installation.h"

namespace mx {

const EnumInfo& DestinationOutputInfo()
{
    static const EnumInfo info{QStringLiteral("TDestinationOutput"),
        {QStringLiteral("doReport"), QStringLiteral("doFile"), QStringLiteral("doGraph"), QStringLiteral("doCrosstab"),
            QStringLiteral("doTable")}};
    return info;
}

static void describeDestinationItem(ClassBuilder<TDestinationItem>& c)
{
    using D = TDestinationItem;
    c.string(QStringLiteral("Versions"), &D::Versions, &D::SetVersions);
    c.enumeration(QStringLiteral("Output"), DestinationOutputInfo(), &D::Output, &D::SetOutput);
    c.string(QStringLiteral("Extension"), &D::Extension, &D::SetExtension);
    c.string(QStringLiteral("DllName"), &D::DllName, &D::SetDllName);
}

static void describeDestinationList(ClassBuilder<TDestinationList>& c)
{
    c.items<TDestinationItem>();
}

MX_DEFINE_CLASS(TDestinationItem, TMxItem, describeDestinationItem)
MX_DEFINE_CLASS(TDestinationList, TMxList, describeDestinationList)

bool FileNameHasFolder(const QString& fileName)
{
    return fileName.contains(u'/') || fileName.contains(u'\\') || fileName.contains(u':');
}

static qsizetype fileNameStart(const QString& fileName)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < fileName.size(); ++i) {
        const QChar c = fileName[i];
        if (c == u'/' || c == u'\\' || c == u':')
            start = i + 1;
    }
    return start;
}

QString FileNameExtension(const QString& fileName)
{
    const qsizetype start = fileNameStart(fileName);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot >= start ? fileName.mid(dot) : QString();
}

QString ChangeFileNameExtension(const QString& fileName, const QString& extension)
{
    const qsizetype start = fileNameStart(fileName);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return (dot >= start ? fileName.left(dot) : fileName) + extension;
}

THookSlot<QString()> PrivateQueryPathHook;

namespace {
TDestinationList* g_destinationTypes = nullptr;
} // namespace

QString PrivateQueryFolder()
{
    return PrivateQueryPathHook ? IncludeBackslash(PrivateQueryPathHook()) : QString();
}

TDestinationList* DestinationTypes()
{
    return g_destinationTypes;
}

void SetDestinationTypes(TDestinationList* types)
{
    g_destinationTypes = types;
}

TDestinationItem::TDestinationItem(TMxItem* owner) : TMxItem(owner) {}

TDestinationItem::~TDestinationItem()
{
    ReleaseDriver();
}

void TDestinationItem::BeforeDestruction()
{
    ReleaseDriver();
}

void TDestinationItem::SetVersions(const QString& value)
{
    if (value == m_versions)
        return;
    m_versions = value;
    Change();
}

void TDestinationItem::SetOutput(TDestinationOutput value)
{
    if (value == m_output)
        return;
    m_output = value;
    Change();
}

void TDestinationItem::SetExtension(const QString& value)
{
    if (value == m_extension)
        return;
    m_extension = value;
    Change();
}

void TDestinationItem::SetDllName(const QString& value)
{
    if (value == m_dllName)
        return;
    m_dllName = value;
    m_driver.reset(); // another module: look again
    Change();
}

std::shared_ptr<TIMxDestDriver> TDestinationItem::GetDriver()
{
    if (m_driver)
        return m_driver;
    QString cause;
    try {
        m_driver = GetDestDriver(m_dllName, GetName());
    } catch (const std::exception& e) {
        cause = ExceptionMessage(e);
    }
    if (!m_driver) {
        QString text = TranslateFmt(QStringLiteral("Driver %s not found in %s"), {GetName(), m_dllName});
        if (!cause.isEmpty())
            text += u'\n' + cause;
        throw Exception(text);
    }
    return m_driver;
}

void TDestinationItem::ReleaseDriver() noexcept
{
    try {
        m_driver.reset();
    } catch (...) {
    }
}

QString TDestinationItem::MakeFileName(const QString& fileName) const
{
    return MakeFileName(fileName, PrivateQueryFolder());
}

QString TDestinationItem::MakeFileName(const QString& fileName, const QString& folder) const
{
    if (fileName.isEmpty())
        return {};
    QString result = m_extension.isEmpty() ? fileName : ChangeFileNameExtension(fileName, u'.' + m_extension);
    if (!FileNameHasFolder(result))
        result.prepend(folder);
    return result;
}

void TDestinationItem::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* s = dynamic_cast<const TDestinationItem*>(source)) {
        SetVersions(s->Versions());
        SetOutput(s->Output());
        SetExtension(s->Extension());
        SetDllName(s->DllName());
    }
}

TDestinationList::TDestinationList(TMxItem* owner) : TMxTypedList<TDestinationItem>(owner) {}

TQueryDestinationList* TDestinationList::CreateQueryDestinations(TMxItem* step) const
{
    TItemPtr<TQueryDestinationList> list(new TQueryDestinationList(step));
    for (int i = 0; i < Count(); ++i) {
        auto* destination = new TQueryDestinationItem(list.get());
        destination->SetName(Items(i)->GetName());
    }
    return list.release();
}

void TDestinationList::ReleaseDrivers() noexcept
{
    for (TMxItem* item : *this)
        static_cast<TDestinationItem*>(item)->ReleaseDriver();
}

} // namespace mx
