#pragma once
// The SQL dialect of each database driver (the engine's datasource file).
// Name is the driver name; "STANDARD" is the dialect of local tables.

#include "engine/core/list.h"
#include "engine/core/sqlsyntax.h"

namespace mx {

inline constexpr const char* kStandardDatasource = "STANDARD";

class TDbEngDatasource : public TMxItem {
    MX_CLASS(TDbEngDatasource)
public:
    explicit TDbEngDatasource(TMxItem* owner = nullptr);

    const QString& ConstantQuoter() const { return m_constantQuoter; }
    void SetConstantQuoter(const QString& value);
    const QString& FieldQuoter() const { return m_fieldQuoter; }
    void SetFieldQuoter(const QString& value);
    TSetSQLCapabilities SQLCapabilities() const { return m_capabilities; }
    void SetSQLCapabilities(TSetSQLCapabilities value);
    const QString& SQLStringConcatOperator() const { return m_concatOperator; }
    void SetSQLStringConcatOperator(const QString& value);
    const QString& SQLDateEditor() const { return m_dateEditor; }
    void SetSQLDateEditor(const QString& value);
    const QString& SQLDateFormater() const { return m_dateFormater; }
    void SetSQLDateFormater(const QString& value);
    bool SQLLimitRows() const { return m_limitRows; }
    void SetSQLLimitRows(bool value);
    const QString& SQLLimitRowsSyntax() const { return m_limitRowsSyntax; }
    void SetSQLLimitRowsSyntax(const QString& value);
    qint32 SQLLimitRowCount() const { return m_limitRowCount; }
    void SetSQLLimitRowCount(qint32 value);

    // The dialect as SQL generation receives it; the concatenation
    // operator is cut to its first 5 characters. (SQLLimitRows has no place
    // there: the capability scLimitRows stands for it.)
    void GetSyntaxProperties(TSQLSyntaxProperties& syntax) const;
    TSQLSyntaxProperties SyntaxProperties() const;

    void Assign(const TPersistent* source) override;

private:
    QString m_constantQuoter;
    QString m_fieldQuoter;
    TSetSQLCapabilities m_capabilities = 0;
    QString m_concatOperator;
    QString m_dateEditor;
    QString m_dateFormater;
    bool m_limitRows = false;
    QString m_limitRowsSyntax;
    qint32 m_limitRowCount = 0;
};

class TDbEngDatasourceList : public TMxTypedList<TDbEngDatasource> {
    MX_CLASS(TDbEngDatasourceList)
public:
    explicit TDbEngDatasourceList(TMxItem* owner = nullptr);
    // The dialect of that driver name, ignoring case; an empty name means
    // "STANDARD". None when there is no such dialect.
    TDbEngDatasource* FindDatasource(const QString& name) const;
    // The same, falling back to "STANDARD" for an unknown name. None only
    // when the list has no STANDARD either.
    TDbEngDatasource* FindDatasourceOrStandard(const QString& name) const;
    TDbEngDatasource* GetDatasource(int index) const { return Items(index); }
};

// The dialect SQL generation uses for a driver name: the process's
// datasource of that name, else STANDARD, else the plain dialect (single
// quotes, double-quoted names, "||"). Never fails.
TSQLSyntaxProperties DatasourceSyntax(const QString& driverName);

} // namespace mx
