#include "table.h"

#include "entity.h"

#include "engine/core/format.h"

namespace mx {

static void describeTable(ClassBuilder<TMxTable>& c)
{
    c.integer(QStringLiteral("DesignX"), &TMxTable::DesignX, &TMxTable::SetDesignX);
    c.integer(QStringLiteral("DesignY"), &TMxTable::DesignY, &TMxTable::SetDesignY);
    c.string(QStringLiteral("FullName"), &TMxTable::FullName, &TMxTable::SetFullName);
    c.string(QStringLiteral("Database"), &TMxTable::Database, &TMxTable::SetDatabase);
    c.object(QStringLiteral("Fields"), &TMxTable::Fields);
    c.object(QStringLiteral("Entities"), &TMxTable::Entities);
    c.integer(QStringLiteral("DesignMode"), &TMxTable::DesignMode, &TMxTable::SetDesignMode, 1);
}
MX_DEFINE_CLASS(TMxTable, TMxItem, describeTable)

TMxTable::TMxTable(TMxItem* owner) : TMxItem(owner), m_fields(this), m_entities(this) {}

TMxTable::~TMxTable() = default;

TMxEntityList* TMxTable::Entities() const
{
    return m_entities.get();
}

void TMxTable::SetDesignX(int value)
{
    if (value == m_designX)
        return;
    m_designX = value;
    Change();
}

void TMxTable::SetDesignY(int value)
{
    if (value == m_designY)
        return;
    m_designY = value;
    Change();
}

void TMxTable::SetFullName(const QString& value)
{
    if (value == m_fullName)
        return;
    m_fullName = value;
    Change();
}

void TMxTable::SetDatabase(const QString& value)
{
    if (value == m_database)
        return;
    m_database = value;
    Change();
}

void TMxTable::SetDesignMode(int value)
{
    if (value == m_designMode)
        return;
    m_designMode = value;
    Change();
}

QString TMxTable::GetAlias() const
{
    return Id() < 0 ? QStringLiteral("DT") + QString::number(-qint64(Id())) : QStringLiteral("D") + QString::number(Id());
}

bool TMxTable::IsPath(const QString& database)
{
    return database.contains(u'/') || database.contains(u'\\') || database.contains(u':');
}

QString TMxTable::GetQualifiedName() const
{
    if (!IsPath(m_database))
        return u':' + m_database + u':' + Name();
    if (m_database.endsWith(u'/') || m_database.endsWith(u'\\'))
        return m_database + Name();
    return m_database + u'/' + Name();
}

QString TMxTable::GetDebugText() const
{
    return Format(QStringLiteral("%d DB=%s Name=%s FName=%s"), {Id(), m_database, Name(), m_fullName});
}

void TMxTable::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* t = dynamic_cast<const TMxTable*>(source);
    if (!t)
        return;
    SetFullName(t->m_fullName);
    SetDatabase(t->m_database);
    SetDesignX(t->m_designX);
    SetDesignY(t->m_designY);
    m_fields->Assign(t->Fields());
    m_entities->Assign(t->Entities());
}

MX_DEFINE_CLASS(TMxTableList, TMxList, [](ClassBuilder<TMxTableList>& c) { c.items<TMxTable>(); })

void TMxTableList::AddTable(TMxTable* table)
{
    if (!table || FindById(table->Id()))
        return;
    if (OwnsItems())
        table->Clone(this);
    else
        AddItem(table);
}

} // namespace mx
