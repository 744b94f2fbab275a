#include "database.h"

#include "modelhooks.h"

#include "engine/core/format.h"

namespace mx {

static void describeDatabase(ClassBuilder<TMxDatabaseItem>& c)
{
    c.string(QStringLiteral("DriverName"), &TMxDatabaseItem::DriverName, &TMxDatabaseItem::SetDriverName);
    c.string(QStringLiteral("UserName"), &TMxDatabaseItem::UserName, &TMxDatabaseItem::SetUserName);
    c.string(QStringLiteral("Password"), &TMxDatabaseItem::Password, &TMxDatabaseItem::SetPassword);
}
MX_DEFINE_CLASS(TMxDatabaseItem, TMxItem, describeDatabase)

TMxDatabaseItem::TMxDatabaseItem(TMxItem* owner) : TMxItem(owner) {}

void TMxDatabaseItem::SetDriverName(const QString& value)
{
    if (value == m_driverName)
        return;
    m_driverName = value;
    Change();
}

void TMxDatabaseItem::SetUserName(const QString& value)
{
    if (value == m_userName)
        return;
    m_userName = value;
    Change();
}

void TMxDatabaseItem::SetPassword(const QString& value)
{
    if (value == m_password)
        return;
    m_password = value;
    Change();
}

bool TMxDatabaseItem::IsServer() const
{
    return !m_driverName.isEmpty() && m_driverName != QLatin1String("STANDARD");
}

bool TMxDatabaseItem::GetSyntax(TSQLSyntaxProperties& syntax) const
{
    return ModelDatasourceHook
        && (ModelDatasourceHook(m_driverName, syntax) || ModelDatasourceHook(QStringLiteral("STANDARD"), syntax));
}

QString TMxDatabaseItem::GetDebugText() const
{
    return Format(QStringLiteral("%d Database=%s Driver=%s User=%s"), {Id(), Name(), m_driverName, m_userName});
}

void TMxDatabaseItem::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* d = dynamic_cast<const TMxDatabaseItem*>(source)) {
        SetDriverName(d->m_driverName);
        SetUserName(d->m_userName);
        SetPassword(d->m_password);
    }
}

MX_DEFINE_CLASS(TMxDatabaseList, TMxList, [](ClassBuilder<TMxDatabaseList>& c) { c.items<TMxDatabaseItem>(); })

namespace {
QString withoutFinalSeparator(const QString& name)
{
    if (name.endsWith(u'/') || name.endsWith(u'\\'))
        return name.left(name.size() - 1);
    return name;
}
} // namespace

TMxDatabaseItem* TMxDatabaseList::FindByName(const QString& name) const
{
    const QString probe = withoutFinalSeparator(name);
    const Qt::CaseSensitivity cs = probe.contains(u'/') ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < Count(); ++i) {
        TMxDatabaseItem* item = Items(i);
        if (withoutFinalSeparator(item->Name()).compare(probe, cs) == 0)
            return item;
    }
    return nullptr;
}

} // namespace mx
