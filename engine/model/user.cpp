#include "user.h"

#include "engine/core/format.h"

namespace mx {

static void describeUser(ClassBuilder<TMxUser>& c)
{
    c.integer(QStringLiteral("Level"), &TMxUser::Level, &TMxUser::SetLevel);
    c.set(QStringLiteral("Rights"), UserRightInfo(), &TMxUser::Rights, &TMxUser::SetRights);
    c.string(QStringLiteral("Password"), &TMxUser::Password, &TMxUser::SetPassword);
    c.string(QStringLiteral("ViewPrefix"), &TMxUser::ViewPrefix, &TMxUser::SetViewPrefix);
}
MX_DEFINE_CLASS(TMxUser, TMxItem, describeUser)

TMxUser::TMxUser(TMxItem* owner) : TMxItem(owner) {}

void TMxUser::SetLevel(int value)
{
    const int level = value == 0 ? 0 : 1;
    if (level == m_level)
        return;
    m_level = level;
    Change();
}

void TMxUser::SetRights(TUserRights value)
{
    if (value == m_rights)
        return;
    m_rights = value;
    Change();
}

void TMxUser::SetPassword(const QString& value)
{
    if (value == m_password)
        return;
    m_password = value;
    Change();
}

void TMxUser::SetViewPrefix(const QString& value)
{
    if (value == m_viewPrefix)
        return;
    m_viewPrefix = value;
    Change();
}

QString TMxUser::GetDebugText() const
{
    return Format(QStringLiteral("%d User=%s Level=%d Rights=%d ViewPrefix=%s"), {Id(), Name(), m_level, m_rights, m_viewPrefix});
}

void TMxUser::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* u = dynamic_cast<const TMxUser*>(source)) {
        SetPassword(u->m_password);
        SetLevel(u->m_level);
        SetRights(u->m_rights);
        SetViewPrefix(u->m_viewPrefix);
    }
}

MX_DEFINE_CLASS(TMxUserList, TMxList, [](ClassBuilder<TMxUserList>& c) { c.items<TMxUser>(); })

static void describeGroup(ClassBuilder<TMxUserGroup>& c)
{
    c.string(QStringLiteral("Informations"), &TMxUserGroup::Informations, &TMxUserGroup::SetInformations);
    c.object(QStringLiteral("Users"), &TMxUserGroup::Users);
}
MX_DEFINE_CLASS(TMxUserGroup, TMxItem, describeGroup)

TMxUserGroup::TMxUserGroup(TMxItem* owner) : TMxItem(owner), m_users(this) {}

TMxUserGroup::~TMxUserGroup() = default;

void TMxUserGroup::SetInformations(const QString& value)
{
    if (value == m_informations)
        return;
    m_informations = value;
    Change();
}

bool TMxUserGroup::HasUser(const QString& userName) const
{
    return m_users->FindByName(userName) != nullptr;
}

void TMxUserGroup::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* g = dynamic_cast<const TMxUserGroup*>(source)) {
        SetInformations(g->m_informations);
        m_users->Assign(g->Users());
    }
}

MX_DEFINE_CLASS(TMxUserGroupList, TMxList, [](ClassBuilder<TMxUserGroupList>& c) { c.items<TMxUserGroup>(); })

} // namespace mx
