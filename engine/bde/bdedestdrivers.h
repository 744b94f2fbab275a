#pragma once
// The destination drivers of the built-in engine (module "MX32BDE"): a
// step's result copied into a table file. Only Export acts; it writes the
// table in the format the file's extension names (the destination type
// supplies it: "DB", "DBF", "TXT"). Print, Customize and View do nothing.
// Errors of the copy are reported by the dataset.

#include "driver/destdriver.h"

namespace mx {

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

// The factory registered under "MX32BDE". Names compared exactly:
// "Paradox", "dBASE" and "Texte" give a new driver; any other name none,
// so that the lookup goes on to a library of that module name. The report
// destination ("ReportSmith") is not built in yet: none as well.
TIMxDestDriver* CreateBdeDestDriver(const QString& destName);

} // namespace mx
