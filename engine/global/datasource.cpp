#include "datasource.h"

#include "queryglobal.h"

namespace mx {

static void describeDatasource(ClassBuilder<TDbEngDatasource>& c)
{
    using D = TDbEngDatasource;
    c.string(QStringLiteral("ConstantQuoter"), &D::ConstantQuoter, &D::SetConstantQuoter);
    c.string(QStringLiteral("FieldQuoter"), &D::FieldQuoter, &D::SetFieldQuoter);
    c.set(QStringLiteral("SQLCapabilities"), SQLCapabilitiesInfo(), &D::SQLCapabilities, &D::SetSQLCapabilities);
    c.string(QStringLiteral("SQLStringConcatOperator"), &D::SQLStringConcatOperator, &D::SetSQLStringConcatOperator);
    c.string(QStringLiteral("SQLDateEditor"), &D::SQLDateEditor, &D::SetSQLDateEditor);
    c.string(QStringLiteral("SQLDateFormater"), &D::SQLDateFormater, &D::SetSQLDateFormater);
    c.boolean(QStringLiteral("SQLLimitRows"), &D::SQLLimitRows, &D::SetSQLLimitRows);
    c.string(QStringLiteral("SQLLimitRowsSyntax"), &D::SQLLimitRowsSyntax, &D::SetSQLLimitRowsSyntax);
    c.integer(QStringLiteral("SQLLimitRowCount"), &D::SQLLimitRowCount, &D::SetSQLLimitRowCount);
}

static void describeDatasourceList(ClassBuilder<TDbEngDatasourceList>& c)
{
    c.items<TDbEngDatasource>();
}

MX_DEFINE_CLASS(TDbEngDatasource, TMxItem, describeDatasource)
MX_DEFINE_CLASS(TDbEngDatasourceList, TMxList, describeDatasourceList)

TDbEngDatasource::TDbEngDatasource(TMxItem* owner) : TMxItem(owner) {}

namespace {
template <class T>
void setValue(TMxItem* item, T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    item->Change();
}
} // namespace

void TDbEngDatasource::SetConstantQuoter(const QString& v) { setValue(this, m_constantQuoter, v); }
void TDbEngDatasource::SetFieldQuoter(const QString& v) { setValue(this, m_fieldQuoter, v); }
void TDbEngDatasource::SetSQLCapabilities(TSetSQLCapabilities v) { setValue(this, m_capabilities, v); }
void TDbEngDatasource::SetSQLStringConcatOperator(const QString& v) { setValue(this, m_concatOperator, v); }
void TDbEngDatasource::SetSQLDateEditor(const QString& v) { setValue(this, m_dateEditor, v); }
void TDbEngDatasource::SetSQLDateFormater(const QString& v) { setValue(this, m_dateFormater, v); }
void TDbEngDatasource::SetSQLLimitRows(bool v) { setValue(this, m_limitRows, v); }
void TDbEngDatasource::SetSQLLimitRowsSyntax(const QString& v) { setValue(this, m_limitRowsSyntax, v); }
void TDbEngDatasource::SetSQLLimitRowCount(qint32 v) { setValue(this, m_limitRowCount, v); }

void TDbEngDatasource::GetSyntaxProperties(TSQLSyntaxProperties& syntax) const
{
    syntax.ConstantQuoter = m_constantQuoter;
    syntax.FieldQuoter = m_fieldQuoter;
    syntax.ConcatOperator = m_concatOperator.left(5);
    syntax.SQLDateEditor = m_dateEditor;
    syntax.SQLDateFormater = m_dateFormater;
    syntax.Capabilities = m_capabilities;
    syntax.LimitRowsSyntax = m_limitRowsSyntax;
    syntax.LimitRowCount = m_limitRowCount;
}

TSQLSyntaxProperties TDbEngDatasource::SyntaxProperties() const
{
    TSQLSyntaxProperties syntax;
    GetSyntaxProperties(syntax);
    return syntax;
}

void TDbEngDatasource::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    if (auto* s = dynamic_cast<const TDbEngDatasource*>(source)) {
        SetConstantQuoter(s->m_constantQuoter);
        SetFieldQuoter(s->m_fieldQuoter);
        SetSQLCapabilities(s->m_capabilities);
        SetSQLStringConcatOperator(s->m_concatOperator);
        SetSQLDateEditor(s->m_dateEditor);
        SetSQLDateFormater(s->m_dateFormater);
        SetSQLLimitRows(s->m_limitRows);
        SetSQLLimitRowsSyntax(s->m_limitRowsSyntax);
        SetSQLLimitRowCount(s->m_limitRowCount);
    }
}

TDbEngDatasourceList::TDbEngDatasourceList(TMxItem* owner) : TMxTypedList<TDbEngDatasource>(owner) {}

TDbEngDatasource* TDbEngDatasourceList::FindDatasource(const QString& name) const
{
    const QString wanted = name.isEmpty() ? QString::fromLatin1(kStandardDatasource) : name;
    return FindByName(wanted, Qt::CaseInsensitive);
}

TDbEngDatasource* TDbEngDatasourceList::FindDatasourceOrStandard(const QString& name) const
{
    if (TDbEngDatasource* d = FindDatasource(name))
        return d;
    return FindDatasource(QString());
}

TSQLSyntaxProperties DatasourceSyntax(const QString& driverName)
{
    if (TDbEngDatasourceList* list = Datasources())
        if (TDbEngDatasource* d = list->FindDatasourceOrStandard(driverName))
            return d->SyntaxProperties();
    TSQLSyntaxProperties plain;
    plain.ConstantQuoter = QStringLiteral("'");
    plain.FieldQuoter = QStringLiteral("\"");
    plain.ConcatOperator = QStringLiteral("||");
    return plain;
}

} // namespace mx
