// Saving and loading an object file of about 10 MB shaped like a data
// model: tables holding lists of fields, each with strings and integers.
// Run: build/bench/bin/bench_objectfile  (MB/s appear as bytes_per_second)

#include "engine/core/list.h"
#include "engine/core/userservice.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace mx;

namespace {

class TBenchField : public TMxItem {
    MX_CLASS(TBenchField)
public:
    using TMxItem::TMxItem;
    QString FullName, SqlName, Type;
    qint64 Size = 0, Flags = 0;
};
class TBenchFields : public TMxTypedList<TBenchField> {
    MX_CLASS(TBenchFields)
public:
    using TMxTypedList::TMxTypedList;
};
class TBenchTable : public TMxItem {
    MX_CLASS(TBenchTable)
public:
    explicit TBenchTable(TMxItem* o) : TMxItem(o), Fields(new TBenchFields(this)) {}
    ~TBenchTable() override { Fields->Free(); }
    QString Alias;
    qint64 X = 0, Y = 0;
    TBenchFields* Fields;
};
class TBenchTables : public TMxTypedList<TBenchTable> {
    MX_CLASS(TBenchTables)
public:
    using TMxTypedList::TMxTypedList;
};

TBenchTables* buildModel(int tables, int fields)
{
    auto* model = new TBenchTables(nullptr);
    for (int t = 0; t < tables; ++t) {
        TBenchTable* table = model->AddNew();
        table->SetName(QString("TABLE_%1").arg(t));
        table->Alias = "BASE";
        table->X = t * 13;
        table->Y = t * 7 + 300;
        for (int f = 0; f < fields; ++f) {
            TBenchField* field = table->Fields->AddNew();
            field->SetName(QString("FIELD_%1_%2").arg(t).arg(f));
            field->FullName = QString::fromUtf8("Libellé du champ numéro %1 de la table %2").arg(f).arg(t);
            field->SqlName = QString("F%1").arg(f);
            field->Type = "A";
            field->Size = 40 + f;
            field->Flags = f % 3;
        }
    }
    return model;
}

void BM_Save(benchmark::State& state)
{
    TBenchTables* model = buildModel(1000, 100);
    QTemporaryDir dir;
    const QString path = dir.filePath("BENCH.MDD");
    qint64 bytes = 0;
    for (auto _ : state) {
        model->SaveToFile(path);
        bytes = QFileInfo(path).size();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file_MB"] = double(bytes) / 1e6;
    model->Free();
}

void BM_Load(benchmark::State& state)
{
    TBenchTables* model = buildModel(1000, 100);
    QTemporaryDir dir;
    const QString path = dir.filePath("BENCH.MDD");
    model->SaveToFile(path);
    model->Free();
    const qint64 bytes = QFileInfo(path).size();
    for (auto _ : state) {
        auto* back = new TBenchTables(nullptr);
        back->LoadFromFile(path);
        benchmark::DoNotOptimize(back->Count());
        state.PauseTiming();
        back->Free();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file_MB"] = double(bytes) / 1e6;
}

} // namespace

MX_DEFINE_CLASS(TBenchField, TMxItem, [](ClassBuilder<TBenchField>& c) {
    c.string("FullName", &TBenchField::FullName, &TBenchField::FullName);
    c.string("SqlName", &TBenchField::SqlName, &TBenchField::SqlName);
    c.string("Type", &TBenchField::Type, &TBenchField::Type);
    c.integer("Size", &TBenchField::Size, &TBenchField::Size, 0);
    c.integer("Flags", &TBenchField::Flags, &TBenchField::Flags, 0);
})
MX_DEFINE_CLASS(TBenchFields, TMxList, [](ClassBuilder<TBenchFields>& c) { c.items<TBenchField>(); })
MX_DEFINE_CLASS(TBenchTable, TMxItem, [](ClassBuilder<TBenchTable>& c) {
    c.string("Alias", &TBenchTable::Alias, &TBenchTable::Alias);
    c.integer("X", &TBenchTable::X, &TBenchTable::X, 0);
    c.integer("Y", &TBenchTable::Y, &TBenchTable::Y, 0);
    c.object("Fields", &TBenchTable::Fields);
})
MX_DEFINE_CLASS(TBenchTables, TMxList, [](ClassBuilder<TBenchTables>& c) { c.items<TBenchTable>(); })

BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
