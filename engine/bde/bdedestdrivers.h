#pragma once
// The destination drivers of the built-in engine (module "MX32BDE"): a
// step's result copied into a table file. Only Export acts; it writes the
// table in the format the file's extension names (the destination type
// supplies it: "DB", "DBF", "TXT"). Print, Customize and View do nothing.
// Errors of the copy are reported by the dataset.

#include "engine/driver/destdriver.h"

#include <memory>

namespace mx {

class TReport;

class TMxTableDestDriver : public TIMxDestDriver {
public:
    void Print(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) override;
    void Customize(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) override;
    void View(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) override;
    // Dataset.DumpTable(FileName). Without a dataset there is nothing to
    // write: EMxException.
    void Export(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) override;
    bool ExportsTableCopy() const override { return true; }
};

class TMxParadoxDestDriver : public TMxTableDestDriver {};
class TMxdBASEDestDriver : public TMxTableDestDriver {};
// The delimited text file with its schema ("Texte").
class TMxTextDestDriver : public TMxTableDestDriver {};

// A step's result printed through a report of the report runtime: the
// destination's file is the report file. Print runs it on the runtime and
// prints it, the runtime closing afterwards when it was started for it;
// View runs it on the runtime in preview and leaves it loaded; Customize
// opens it in the full report program. Export does nothing.
//
// The result is offered to the runtime under its name (its step's name,
// "Résultat" when it has none). A report that fails, or that the runtime
// answers with an error, raises EMxException "Error : " and the reason, so
// that the run counts it as a destination not served.
class TMxReportSmithDestDriver : public TIMxDestDriver {
public:
    TMxReportSmithDestDriver();
    ~TMxReportSmithDestDriver() override;

    void Print(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) override;
    void Customize(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) override;
    void View(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) override;
    void Export(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) override;
    // The destination's file is the report file it reads.
    bool ReadsItsFile() const override { return true; }

    TReport& Report() { return *m_report; }

private:
    void run(const QString& fileName, TIMxDataset* dataset);
    std::unique_ptr<TReport> m_report;
};

// The factory registered under "MX32BDE". Names compared exactly:
// "Paradox", "dBASE", "Texte" and "ReportSmith" give a new driver; any
// other name none, so that the lookup goes on to a library of that module
// name.
TIMxDestDriver* CreateBdeDestDriver(const QString& destName);

} // namespace mx
