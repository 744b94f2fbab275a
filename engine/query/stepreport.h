#pragma once
// The report of a query step. The report layer fills StepReportFactoryHook
// with a routine that makes its report object; without it each step gets a
// TNullStepReport, which shows nothing but keeps the report record read
// from a query file and writes it back unchanged.

#include "engine/core/component.h"
#include "engine/core/hookslot.h"

#include <QByteArray>

#include <memory>

namespace mx {

class TMxQueryStep;
class TMxReader;
class TMxWriter;

extern THookSlot<std::unique_ptr<TComponent>(TMxQueryStep* step)> StepReportFactoryHook;

// The report a step is made with: the factory's, else a null report.
std::unique_ptr<TComponent> CreateStepReport(TMxQueryStep* step);

// A report that streams its own record: the report layer's reports keep
// what they do not know (properties, child records) as the bytes read and
// write them back, which the generic component reader cannot do.
class TStepReportStreaming {
public:
    virtual ~TStepReportStreaming() = default;
    // Reads the whole record at the reader's position (class name, name,
    // properties, child records).
    virtual void ReadReport(TMxReader& reader) = 0;
    virtual void WriteReport(TMxWriter& writer) = 0;
};

// Streamed under the class name of the reports of query files, TQuickRep.
class TNullStepReport : public TComponent {
    MX_CLASS(TNullStepReport)
public:
    TNullStepReport() = default;

    // The whole report record as read (class name, name, properties and
    // child components); empty for a report never read.
    const QByteArray& Record() const { return m_record; }
    void SetRecord(const QByteArray& record) { m_record = record; }

private:
    QByteArray m_record;
};

// Reads the report record at the reader's position into report. A null
// report keeps the record's bytes, a report that streams itself reads it,
// any other report reads it as an object.
void ReadStepReport(TMxReader& reader, TComponent* report);
// Writes the report record: the bytes a null report kept, the record of a
// report that streams itself, else the object.
void WriteStepReport(TMxWriter& writer, TComponent* report);
// Passes over one component record (class name, name, properties up to an
// end marker, child records up to an end marker); raises EReadError on
// damage or nesting past 64 levels.
void SkipComponentRecord(TMxReader& reader);
// Copies one step's report into another through its stored form.
void CopyStepReport(const TComponent* source, TComponent* dest);

} // namespace mx
