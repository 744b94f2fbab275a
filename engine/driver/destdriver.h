#pragma once
// TIMxDestDriver: sends a step's result to one kind of destination (a
// table, a file, a report). It makes the settings objects of its
// destinations and frees them: a settings object is always freed by the
// driver that made it.

#include <QString>

namespace mx {

class TIMxDataset;
class TIMxDestProperties;

class TIMxDestDriver {
public:
    TIMxDestDriver() = default;
    virtual ~TIMxDestDriver();
    TIMxDestDriver(const TIMxDestDriver&) = delete;
    TIMxDestDriver& operator=(const TIMxDestDriver&) = delete;

    virtual void Print(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) = 0;
    virtual void Customize(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) = 0;
    virtual void View(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) = 0;
    virtual void Export(TIMxDestProperties* properties, const QString& fileName, TIMxDataset* dataset) = 0;
    // A new settings object; the base class makes a plain one.
    virtual TIMxDestProperties* CreateProperties();
    // Frees a settings object this driver made; none is ignored.
    virtual void FreeProperties(TIMxDestProperties* properties);
    // True when Export copies the rows into the file it is given with the
    // dataset's DumpTable, so that the run may announce that file to the
    // dataset beforehand (TIMxDataset::ExpectTables). False by default.
    virtual bool ExportsTableCopy() const;
    // True when the destination's file is one the driver reads (a report
    // file), not one it writes: a name without folder is then looked for
    // beside the query file, never in the private query folder. False by
    // default.
    virtual bool ReadsItsFile() const;
};

} // namespace mx
