#include "previewtext.h"

#include "engine/core/classinfo.h"
#include "engine/core/itemptr.h"
#include "engine/core/list.h"
#include "engine/model/database.h"
#include "engine/model/datamodel.h"
#include "engine/model/entity.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/link.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/model/domain.h"

#include <QStringList>

#include <functional>

namespace mkpreview {
namespace {

using namespace mx;

struct LineError {
    QString message;
};

[[noreturn]] void fail(const QString& message)
{
    throw LineError{message};
}

QStringList cells(const QString& text, qsizetype count)
{
    QStringList parts = text.split(u'|');
    for (QString& p : parts)
        p = p.trimmed();
    if (count >= 0 && parts.size() != count)
        fail(QStringLiteral("%1 cells where %2 are needed").arg(parts.size()).arg(count));
    return parts;
}

int number(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok)
        fail(QStringLiteral("%1 is not an integer").arg(text));
    return v;
}

QChar letter(const QString& text)
{
    if (text.size() != 1)
        fail(QStringLiteral("%1 is not one letter").arg(text));
    return text[0];
}

// The ordinal of an enumeration value by the name files store, through the
// published property of a class that has it.
int enumValue(const TMxItem& sample, const QString& property, const QString& name)
{
    for (const PropInfo* p : sample.classInfo()->props())
        if (p->name == property && p->enumInfo) {
            const int v = p->enumInfo->ordinalOf(name, Qt::CaseSensitive);
            if (v < 0)
                fail(QStringLiteral("%1 is not a value of %2").arg(name, p->enumInfo->typeName));
            return v;
        }
    fail(QStringLiteral("%1 has no enumeration %2").arg(sample.className(), property));
}

// Runs handle on every line that is neither blank nor a comment, with its
// keyword, the rest of the line and whether it is indented; an error names
// the text and the line.
void forEachLine(const QString& sourceName, const QString& text,
    const std::function<void(const QString& word, const QString& rest, bool indented)>& handle)
{
    const QStringList lines = text.split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        try {
            handle(trimmed.section(u' ', 0, 0), trimmed.section(u' ', 1).trimmed(), line.front().isSpace());
        } catch (const LineError& e) {
            throw TextError{QStringLiteral("%1:%2: %3").arg(sourceName).arg(n + 1).arg(e.message)};
        } catch (const std::exception& e) {
            throw TextError{QStringLiteral("%1:%2: %3").arg(sourceName).arg(n + 1).arg(QString::fromUtf8(e.what()))};
        }
    }
}

TMxTable* tableOf(TMxDataModel* model, const QString& idText)
{
    TMxTable* table = model->Tables()->FindById(number(idText));
    if (!table)
        fail(QStringLiteral("no table %1").arg(idText));
    return table;
}

TMxField* fieldOf(TMxTable* table, const QString& name)
{
    TMxField* field = table->Fields()->FindField(name);
    if (!field)
        fail(QStringLiteral("no field %1 in %2").arg(name, table->Name()));
    return field;
}

// "F <table Id> <field> ; O <operator> ; C <type letter> <text>": a
// constant's text may stand between double quotes.
void parseTokens(TMxFormulaList* list, const QString& text, TMxDataModel* model)
{
    const TMxFormula sample(nullptr);
    for (const QString& raw : text.split(u';')) {
        const QString token = raw.trimmed();
        const QString kind = token.section(u' ', 0, 0);
        const QString rest = token.section(u' ', 1).trimmed();
        TMxFormula* f = list->AddNew();
        if (kind == QLatin1String("F")) {
            TMxTable* table = tableOf(model, rest.section(u' ', 0, 0));
            TMxField* field = fieldOf(table, rest.section(u' ', 1).trimmed());
            f->SetOperator(foField);
            f->SetFieldTblId(table->Id());
            f->SetFieldName(field->Name());
            f->SetFieldFullName(field->FullName());
            f->SetLongTypeId(field->ShortType());
        } else if (kind == QLatin1String("O")) {
            f->SetOperator(TOperator(enumValue(sample, QStringLiteral("Operator"), rest)));
        } else if (kind == QLatin1String("C")) {
            QString value = rest.section(u' ', 1);
            if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
                value = value.mid(1, value.size() - 2);
            f->SetOperator(foConst);
            f->SetLongTypeId(letter(rest.section(u' ', 0, 0)));
            f->SetFieldName(value);
        } else {
            fail(QStringLiteral("%1 is not a token: F, O or C").arg(token));
        }
    }
}

} // namespace

TMxDataModel* ParseModelText(const QString& sourceName, const QString& text)
{
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    bool begun = false;
    TMxTable* table = nullptr;
    const TMxLink linkSample(nullptr);
    forEachLine(sourceName, text, [&](const QString& word, const QString& rest, bool indented) {
        if (!begun) {
            if (word != QLatin1String("model") || !rest.isEmpty())
                fail(QStringLiteral("the text must begin with: model"));
            begun = true;
            return;
        }
        if (indented) {
            if (!table)
                fail(QStringLiteral("a field or entity line needs a table line before it"));
            if (word == QLatin1String("field")) {
                const QStringList c = cells(rest, 6);
                if (table->Fields()->FindField(c[0]))
                    fail(QStringLiteral("two fields %1 in %2").arg(c[0], table->Name()));
                auto* field = new TDmField(table->Fields());
                field->SetName(c[0]);
                field->SetShortType(letter(c[1]));
                field->SetLongType(c[2]);
                field->SetSize(number(c[3]));
                field->SetIdx(number(c[4]));
                field->SetFullName(c[5]);
                return;
            }
            if (word == QLatin1String("entity")) {
                const QStringList c = cells(rest, 3);
                auto* entity = new TMxEntity(table->Entities());
                entity->SetId(number(c[0]));
                entity->SetName(c[1]);
                for (const QString& name : c[2].split(u','))
                    entity->AddField(fieldOf(table, name.trimmed()));
                return;
            }
            fail(QStringLiteral("%1 is not a line of a table: field or entity").arg(word));
        }
        table = nullptr;
        if (word == QLatin1String("database")) {
            const QStringList c = cells(rest, 2);
            TMxDatabaseItem* item = model->Databases()->AddNew();
            item->SetId(model->Databases()->Count());
            item->SetName(c[0]);
            item->SetDriverName(c[1]);
        } else if (word == QLatin1String("table")) {
            const QStringList c = cells(rest, 4);
            const int id = number(c[0]);
            if (id <= 0 || model->Tables()->FindById(id))
                fail(QStringLiteral("the table Id %1 is not a new positive Id").arg(c[0]));
            table = new TMxTable(model->Tables());
            table->SetId(id);
            table->SetName(c[1]);
            table->SetFullName(c[2]);
            table->SetDatabase(c[3]);
        } else if (word == QLatin1String("link")) {
            const QStringList c = cells(rest, 5);
            auto* link = new TMxLink(model->TLinks());
            link->SetId(number(c[0]));
            const TMxTable* master = tableOf(model.get(), c[1]);
            const TMxTable* detail = tableOf(model.get(), c[2]);
            link->SetMaster(master->Id());
            link->SetDetail(detail->Id());
            link->SetLinkType(TLinkType(enumValue(linkSample, QStringLiteral("LinkType"), c[3])));
            for (const QString& pairText : c[4].split(u',')) {
                const QString masterName = pairText.section(u'=', 0, 0).trimmed();
                const QString detailName = pairText.section(u'=', 1).trimmed();
                fieldOf(const_cast<TMxTable*>(master), masterName);
                fieldOf(const_cast<TMxTable*>(detail), detailName);
                TMxFLink* pair = link->FLinks()->AddNew();
                pair->Tables()->SetMaster(master->Id());
                pair->Tables()->SetDetail(detail->Id());
                pair->Fields()->SetMasterName(masterName);
                pair->Fields()->SetDetailName(detailName);
            }
        } else {
            fail(QStringLiteral("%1 is not a line of a model: database, table or link").arg(word));
        }
    });
    if (!begun)
        throw TextError{QStringLiteral("%1: empty text: it must begin with: model").arg(sourceName)};
    // What a load derives: the field catalogue (which gives the first set
    // every field), the sets open to the user, the current set.
    model->BuildAllFields();
    model->BuildAccessibleDomains();
    model->SetDomainById(1);
    return model.release();
}

TMxQuery* ParseQueryText(const QString& sourceName, const QString& text, TMxDataModel* model)
{
    TItemPtr<TMxQuery> query(new TMxQuery(nullptr));
    TMxQueryStep* step = nullptr;
    QString modelFile;
    forEachLine(sourceName, text, [&](const QString& word, const QString& rest, bool) {
        if (modelFile.isEmpty()) {
            if (word != QLatin1String("query"))
                fail(QStringLiteral("the text must begin with: query <name> | <model file> | <set Id>"));
            const QStringList c = cells(rest, 3);
            if (c[1].isEmpty())
                fail(QStringLiteral("the query names no model file"));
            modelFile = c[1];
            query->SetName(c[0]);
            query->SetDataModel(model, false);
            const int set = number(c[2]);
            if (!model->Domains()->FindById(set))
                fail(QStringLiteral("the model has no set %1").arg(set));
            query->SetDomId(set);
            return;
        }
        if (word == QLatin1String("step")) {
            step = query->AddStep();
            step->SetName(rest);
            return;
        }
        if (!step)
            fail(QStringLiteral("%1 needs a step line before it").arg(word));
        TMxDataModel* stepModel = step->DataModel();
        if (word == QLatin1String("field")) {
            const QStringList c = cells(rest, -1);
            if (c.size() < 2 || c.size() > 3)
                fail(QStringLiteral("field <table Id> | <field> [| <total>]"));
            TMxTable* table = tableOf(stepModel, c[0]);
            TMxField* field = fieldOf(table, c[1]);
            TMxEntity* entity = table->Entities()->Count() > 0 ? table->Entities()->Items(0) : nullptr;
            step->AddFields(entity, field);
            TMxQueryField* added = step->AllFields()->Last();
            if (!added || added->Name() != field->Name())
                fail(QStringLiteral("the field %1 was not added").arg(c[1]));
            if (c.size() == 3)
                added->SetTotal(c[2]);
        } else if (word == QLatin1String("calc")) {
            const QStringList c = cells(rest, 3);
            TMxQueryField probe(nullptr);
            probe.SetName(c[0]);
            probe.SetFullName(c[0]);
            probe.SetCalculated(true);
            probe.SetChecked(true);
            probe.SetFieldType(letter(c[1]));
            probe.BindTables(stepModel->CalcTable(), stepModel->CalcTable());
            parseTokens(probe.FormulaList(), c[2], stepModel);
            step->AddFields(nullptr, &probe);
        } else if (word == QLatin1String("criterion")) {
            parseTokens(step->StepCriteria(), rest, stepModel);
        } else {
            fail(QStringLiteral("%1 is not a line of a query: step, field, calc or criterion").arg(word));
        }
    });
    if (modelFile.isEmpty())
        throw TextError{QStringLiteral("%1: empty text: it must begin with: query").arg(sourceName)};
    if (query->Steps()->Count() == 0)
        throw TextError{QStringLiteral("%1: the query has no step").arg(sourceName)};
    query->SetDmFilename(modelFile);
    return query.release();
}

} // namespace mkpreview
