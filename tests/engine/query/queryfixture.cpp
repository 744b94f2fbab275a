#include "queryfixture.h"

#include "tests/support/samplemodel.h"

#include "engine/core/exceptions.h"
#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/destfactories.h"
#include "engine/driver/destproperties.h"
#include "engine/global/datasource.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/sqlvalue.h"
#include "engine/model/table.h"
#include "engine/query/query.h"

using namespace mx;

namespace {

// Settings with one stored text, so that "BinProp" carries data.
class TTextSettings : public TIMxDestProperties {
    MX_CLASS(TTextSettings)
public:
    using TIMxDestProperties::TIMxDestProperties;
    QString Text;
    bool HasData() override { return !Text.isEmpty(); }
};

class TTextDestDriver : public TIMxDestDriver {
public:
    void Print(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void Customize(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void View(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    void Export(TIMxDestProperties*, const QString&, TIMxDataset*) override {}
    TIMxDestProperties* CreateProperties() override { return new TTextSettings(nullptr); }
    void FreeProperties(TIMxDestProperties* p) override { TMxItem::Free(p); }
};

} // namespace

static void describeTextSettings(ClassBuilder<TTextSettings>& c)
{
    c.string(QStringLiteral("Text"), &TTextSettings::Text, &TTextSettings::Text);
}
MX_DEFINE_CLASS(TTextSettings, TIMxDestProperties, describeTextSettings)

namespace qtest {

Tok C(const QString& value, char type)
{
    Tok t;
    t.op = foConst;
    t.text = value;
    t.type = QChar(QLatin1Char(type));
    return t;
}

Tok V(int varId, char type, int domId)
{
    Tok t;
    t.op = foVar;
    t.var = varId;
    t.dom = domId;
    t.type = QChar(QLatin1Char(type));
    return t;
}

Tok S(const QString& name)
{
    Tok t;
    t.op = foSysVar;
    t.text = name;
    t.type = u'D';
    return t;
}

Tok F(int tableId, const QString& name)
{
    Tok t;
    t.op = foField;
    t.table = tableId;
    t.text = name;
    t.type = u'A';
    return t;
}

Tok O(TOperator op)
{
    Tok t;
    t.op = op;
    return t;
}

Tok Fn(const QString& name)
{
    Tok t;
    t.op = foConst;
    t.function = name;
    t.type = u'A';
    return t;
}

void SetTokens(TMxFormulaList* list, std::initializer_list<Tok> tokens)
{
    list->Clear();
    for (const Tok& k : tokens) {
        TMxFormula* f = list->AddNew();
        f->SetOperator(k.op);
        f->SetFieldName(k.text);
        f->SetLongTypeId(k.type);
        f->SetFieldTblId(k.table);
        f->SetVarId(k.var);
        f->SetDomId(k.dom);
        f->SetFunctionName(k.function);
    }
}

TDbEngDatasourceList* Dialects()
{
    return Datasources();
}

namespace {

void addDialects(TDbEngDatasourceList* list)
{
    auto add = [list](const char* name) {
        TDbEngDatasource* d = list->AddNew();
        d->SetName(QString::fromLatin1(name));
        d->SetConstantQuoter(QStringLiteral("'"));
        return d;
    };
    TDbEngDatasource* plainNames = add("PLAINNAMES");
    plainNames->SetSQLCapabilities(SqlCap(scPrefixSourceField));
    const TSetSQLCapabilities standard = SqlCap(scQuoteTableName) | SqlCap(scPrefixSourceField) | SqlCap(scQuoteSourceField)
        | SqlCap(scQuoteAsField) | SqlCap(scQuoteDates) | SqlCap(scCreateViews) | SqlCap(scAgregateViews) | SqlCap(scCalculatedSum);
    for (const char* name : {"STANDARD", "LIMITED", "BADLIMIT"}) {
        TDbEngDatasource* d = add(name);
        d->SetFieldQuoter(QStringLiteral("\""));
        d->SetSQLStringConcatOperator(QStringLiteral("||"));
        d->SetSQLDateEditor(QStringLiteral("d/m/y"));
        d->SetSQLDateFormater(QStringLiteral("%y-%m-%d"));
        d->SetSQLCapabilities(standard);
    }
    list->FindDatasource(QStringLiteral("LIMITED"))->SetSQLCapabilities(standard | SqlCap(scLimitRows));
    list->FindDatasource(QStringLiteral("LIMITED"))->SetSQLLimitRowsSyntax(QStringLiteral("LIMIT %d"));
    list->FindDatasource(QStringLiteral("LIMITED"))->SetSQLLimitRowCount(2);
    list->FindDatasource(QStringLiteral("BADLIMIT"))->SetSQLCapabilities(standard | SqlCap(scLimitRows));
    list->FindDatasource(QStringLiteral("BADLIMIT"))->SetSQLLimitRowsSyntax(QStringLiteral("LIMIT %s"));
    list->FindDatasource(QStringLiteral("BADLIMIT"))->SetSQLLimitRowCount(2);
}

TMxTable* addTable(TMxDataModel* m, int id, const QString& name, const QString& database, const QString& entity,
    std::initializer_list<std::array<const char*, 3>> fields)
{
    TMxTable* t = mxtest::AddModelTable(m, id, name, entity, database, fields);
    auto* e = new TMxEntity(t->Entities());
    e->SetId(id);
    e->SetName(entity);
    for (TMxItem* f : *t->Fields())
        e->AddField(static_cast<TMxField*>(f));
    return t;
}

TMxLink* addLink(TMxDataModel* m, int master, int detail, std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    auto* link = new TMxLink(m->TLinks());
    link->SetId(m->TLinks()->Count());
    link->SetMaster(master);
    link->SetDetail(detail);
    link->SetLinkType(ltOneToMany);
    for (const auto& [mf, df] : pairs) {
        auto* pair = new TMxFLink(link->FLinks());
        pair->Tables()->SetMaster(master);
        pair->Tables()->SetDetail(detail);
        pair->Fields()->SetMasterName(QString::fromLatin1(mf));
        pair->Fields()->SetDetailName(QString::fromLatin1(df));
    }
    return link;
}

} // namespace

TMxDataModel* MakeShopModel(const ShopOptions& o)
{
    auto* m = new TMxDataModel(nullptr);
    m->SetName(QStringLiteral("Boutique"));
    addTable(m, 3, QStringLiteral("CLIENT"), o.clientDb, QStringLiteral("Clients"),
        {{"NUMCLI", "N", "Numéro client"}, {"NOM", "A", "Nom"}, {"VILLE", "A", "Ville"}, {"CATEGORIE", "A", "Catégorie"},
            {"DATENAIS", "D", "Naissance"}, {"PHOTO", "B", "Photo"}});
    addTable(m, 5, QStringLiteral("COMMANDE"), o.otherDb, QStringLiteral("Commandes"),
        {{"NUMCDE", "N", "Commande"}, {"NUMCLI", "N", "Client"}, {"MONTANT", "N", "Montant"}, {"DATECDE", "D", "Date commande"}});
    addTable(m, 7, QStringLiteral("LIVRAISON"), o.otherDb, QStringLiteral("Livraisons"),
        {{"NUMLIV", "N", "Livraison"}, {"NUMCDE", "N", "Commande livrée"}, {"TRANSPORTEUR", "A", "Transporteur"}});
    addTable(m, 9, QStringLiteral("REMISE"), o.otherDb, QStringLiteral("Remises"),
        {{"VILLE", "A", "Ville remise"}, {"CATEGORIE", "A", "Catégorie remise"}, {"TAUX", "N", "Taux"}});
    TMxEntityCriteria* parisians = m->Tables()->FindById(3)->Entities()->Items(0)->Criterias()->AddNew();
    parisians->SetName(QStringLiteral("Parisiens"));
    SetTokens(parisians->Criteria(), {F(3, QStringLiteral("VILLE")), O(foEqual), C(QStringLiteral("Paris"))});
    TMxLink* clientOrder = addLink(m, 3, 5, {{"NUMCLI", "NUMCLI"}});
    clientOrder->SetLeftOuter(o.clientOrderOuter);
    clientOrder->SetLeftCaption(QStringLiteral("Tous les clients"));
    TMxLink* delivery = addLink(m, 5, 7, {{"NUMCDE", "NUMCDE"}});
    delivery->SetLeftOuter(true);
    delivery->SetLeftDefault(true);
    delivery->SetLeftCaption(QStringLiteral("Toutes les commandes"));
    TMxLink* discount = addLink(m, 3, 9, {{"VILLE", "VILLE"}, {"CATEGORIE", "CATEGORIE"}});
    discount->SetLeftOuter(true);
    discount->SetRightOuter(true);
    discount->SetLeftCaption(QStringLiteral("Tous les clients"));
    discount->SetRightCaption(QStringLiteral("Toutes les remises"));

    QStringList databases{o.clientDb};
    if (!databases.contains(o.otherDb))
        databases << o.otherDb;
    for (const QString& name : databases) {
        auto* db = new TMxDatabaseItem(m->Databases());
        db->SetName(name);
        db->SetDriverName(o.driver);
    }

    auto* big = new TMxDomain(m->Domains());
    big->SetId(2);
    big->SetName(QStringLiteral("Grosses commandes"));
    big->Groups()->AddNew()->SetName(QStringLiteral("Admins"));
    for (const char* f : {"Nom", "Ville", "Montant", "Commande"})
        big->Fields()->AddNew()->SetName(QString::fromUtf8(f));
    SetTokens(big->Criteria(), {F(5, QStringLiteral("MONTANT")), O(foSup), C(QStringLiteral("100"), 'N')});

    m->BuildAccessibleDomains();
    m->BuildAllFields();
    m->SetDomainById(1);
    return m;
}

QueryTest::QueryTest()
{
    RegisterDestDriver(QStringLiteral("TESTMOD"), [](const QString&) { return new TTextDestDriver(); });
    new TMxQueryGlobal(nullptr);
    addDialects(Datasources());
    const struct {
        const char* name;
        TDestinationOutput output;
        const char* extension;
    } types[] = {{"Rapport", doReport, "QRP"}, {"Fichier", doFile, "TXT"}, {"Table", doTable, "DB"}};
    for (const auto& t : types) {
        TDestinationItem* type = DestinationTypes()->AddNew();
        type->SetName(QString::fromLatin1(t.name));
        type->SetOutput(t.output);
        type->SetExtension(QString::fromLatin1(t.extension));
        type->SetDllName(QStringLiteral("TESTMOD"));
    }
    QueryGlobal()->SetPrivateQueryPath(QStringLiteral("/priv"));
    SetSystemClock([] { return QDateTime(QDate(2024, 12, 10), QTime(10, 20, 30)); });
    Open();
}

QueryTest::~QueryTest()
{
    TMxItem::Free(m_query);
    SetSystemClock({});
    ShutdownEngine();
    UnregisterDestDriver(QStringLiteral("TESTMOD"));
}

void QueryTest::Open(const ShopOptions& options)
{
    TMxItem::Free(m_query);
    m_query = new TMxQuery(nullptr);
    m_query->SetDataModel(MakeShopModel(options), true);
    m_query->SetDomId(1);
    m_step = m_query->AddStep();
}

TMxQueryField* QueryTest::Add(int tableId, const QString& name, TMxQueryStep* step)
{
    step = step ? step : m_step;
    TMxTable* t = step->DataModel()->Tables()->FindById(tableId);
    TMxField* f = t->Fields()->FindField(name);
    step->AddFields(t->Entities()->Count() ? t->Entities()->Items(0) : nullptr, f);
    TMxQueryFieldList* all = step->AllFields();
    for (int i = all->Count() - 1; i >= 0; --i)
        if (all->Items(i)->Name() == name && all->Items(i)->GetTable() == t)
            return all->Items(i);
    ADD_FAILURE() << "field not added";
    return nullptr;
}

TMxQueryField* QueryTest::AddAgain(int tableId, const QString& name, TMxQueryStep* step)
{
    step = step ? step : m_step;
    TMxTable* t = step->DataModel()->Tables()->FindById(tableId);
    step->AddFields(nullptr, t->Fields()->FindField(name));
    return step->AllFields()->Items(step->AllFields()->Count() - 1);
}

TMxQueryField* QueryTest::AddCalc(const QString& fullName, std::initializer_list<Tok> tokens, TMxQueryStep* step)
{
    step = step ? step : m_step;
    TMxQueryField probe(nullptr);
    probe.SetName(fullName);
    probe.SetFullName(fullName);
    probe.SetCalculated(true);
    probe.SetChecked(true);
    probe.SetFieldType(u'N');
    probe.BindTables(step->DataModel()->CalcTable(), step->DataModel()->CalcTable());
    SetTokens(probe.FormulaList(), tokens);
    step->AddFields(nullptr, &probe);
    return step->AllFields()->Items(step->AllFields()->Count() - 1);
}

TMxParam* QueryTest::AddParam(int id, const QString& name, const QStringList& answers, TParamType type)
{
    auto* p = new TMxParam(m_query->Params());
    p->SetId(id);
    p->SetName(name);
    p->SetParamType(type);
    auto* c = new TMxParamControl(m_query->ParamControls());
    c->SetKind(ckEdit);
    c->SetParamName(name);
    for (const QString& a : answers)
        c->LoadedValues()->Add(a);
    return p;
}

QStringList QueryTest::Sql(bool design, TMxQueryStep* step)
{
    m_query->Prepare(design);
    return (step ? step : m_step)->SQL()->Lines();
}

TMxSqlJoin* QueryTest::Join(int master, int detail, TMxQueryStep* step)
{
    return (step ? step : m_step)->SQLJoins()->FindJoin(master, detail);
}

void SetSettingsText(TQueryDestinationItem* destination, const QString& text)
{
    destination->GetDestinationType();
    if (auto* s = dynamic_cast<TTextSettings*>(destination->Settings()))
        s->Text = text;
    else
        ADD_FAILURE() << "no settings";
}

QString SettingsText(TQueryDestinationItem* destination)
{
    auto* s = dynamic_cast<TTextSettings*>(destination->Settings());
    return s ? s->Text : QStringLiteral("<none>");
}

QString Joined(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

// ---- SQLite ----------------------------------------------------------------

ShopDb::ShopDb()
{
    sqlite3_open(":memory:", &m_db);
    Exec("CREATE TABLE CLIENT (NUMCLI INTEGER PRIMARY KEY, NOM TEXT, VILLE TEXT, CATEGORIE TEXT, DATENAIS TEXT, PHOTO BLOB);"
         "CREATE TABLE COMMANDE (NUMCDE INTEGER PRIMARY KEY, NUMCLI INTEGER, MONTANT NUMERIC, DATECDE TEXT);"
         "CREATE TABLE LIVRAISON (NUMLIV INTEGER PRIMARY KEY, NUMCDE INTEGER, TRANSPORTEUR TEXT);"
         "CREATE TABLE REMISE (VILLE TEXT, CATEGORIE TEXT, TAUX NUMERIC);"
         "INSERT INTO CLIENT VALUES (1,'Dupont','Paris','A','1970-01-02',NULL),(2,'O''Brien','Lyon','B','1985-06-15',NULL),"
         "(3,'Martin','Paris','B','1990-03-04',NULL),(4,'Durand','Nice','A','1962-11-30',NULL),(5,'Leroy',NULL,'A','2000-01-01',NULL);"
         "INSERT INTO COMMANDE VALUES (10,1,150,'2024-01-05'),(11,1,50,'2024-02-01'),(12,2,300,'2024-02-10'),"
         "(13,3,20,'2024-03-01'),(14,4,500,'2024-03-15');"
         "INSERT INTO LIVRAISON VALUES (100,10,'Poste'),(101,12,'Rail');"
         "INSERT INTO REMISE VALUES ('Paris','A',5),('Lyon','B',10),('Lille','A',7);"
         // the names tables take when a step reads several databases
         "CREATE VIEW \":VENTES:CLIENT\" AS SELECT * FROM CLIENT;"
         "CREATE VIEW \":COMPTA:COMMANDE\" AS SELECT * FROM COMMANDE;"
         "CREATE VIEW \"/data/shop/CLIENT\" AS SELECT * FROM CLIENT;"
         "CREATE VIEW \":VENTES:COMMANDE\" AS SELECT * FROM COMMANDE;");
}

ShopDb::~ShopDb()
{
    sqlite3_close(m_db);
}

void ShopDb::Exec(const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        ADD_FAILURE() << "SQLite: " << (error ? error : "?");
        sqlite3_free(error);
    }
}

QString ShopDb::PrepareError(const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    QString result;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK)
        result = QString::fromUtf8(sqlite3_errmsg(m_db));
    else if (!stmt)
        result = QStringLiteral("no statement");
    else if (!QByteArray(tail).trimmed().isEmpty())
        result = QStringLiteral("text after the statement: ") + QString::fromUtf8(tail);
    sqlite3_finalize(stmt);
    return result;
}

QStringList ShopDb::Rows(const QString& sql)
{
    QStringList rows;
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "SQLite: " << sqlite3_errmsg(m_db) << "\n" << text.constData();
        return rows;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            row << (sqlite3_column_type(stmt, i) == SQLITE_NULL
                    ? QStringLiteral("NULL")
                    : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
        rows << row.join(u'|');
    }
    sqlite3_finalize(stmt);
    return rows;
}

QString ShopDb::Snapshot()
{
    QString s;
    for (const char* t : {"CLIENT", "COMMANDE", "LIVRAISON", "REMISE"})
        s += Rows(QStringLiteral("SELECT * FROM %1").arg(QString::fromLatin1(t))).join(u';') + u'\n';
    s += Rows(QStringLiteral("SELECT name FROM sqlite_master ORDER BY name")).join(u',');
    return s;
}

} // namespace qtest
