#include "stepreport.h"

#include "engine/core/exceptions.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"

namespace mx {

THookSlot<std::unique_ptr<TComponent>(TMxQueryStep*)> StepReportFactoryHook;

const ClassInfo& TNullStepReport::staticClass()
{
    // Not registered as a component class: the report layer's own report
    // class answers to that name.
    static const ClassInfo info = MakeClassInfo<TNullStepReport>("TQuickRep", &TComponent::staticClass(), nullptr);
    return info;
}

std::unique_ptr<TComponent> CreateStepReport(TMxQueryStep* step)
{
    if (StepReportFactoryHook) {
        if (std::unique_ptr<TComponent> report = StepReportFactoryHook(step))
            return report;
    }
    return std::make_unique<TNullStepReport>();
}

namespace {

constexpr int kMaxReportDepth = 64;

// One object record: class name, name, property records up to an end
// marker, then child records up to an end marker.
void skipRecord(TMxReader& reader, int depth)
{
    if (depth > kMaxReportDepth)
        throw EReadError(QStringLiteral("Invalid stream format"));
    reader.ReadStr();
    reader.ReadStr();
    while (!reader.EndOfList()) {
        reader.ReadStr();
        reader.SkipValue();
    }
    reader.ReadListEnd();
    while (!reader.EndOfList())
        skipRecord(reader, depth + 1);
    reader.ReadListEnd();
}

} // namespace

void SkipComponentRecord(TMxReader& reader)
{
    skipRecord(reader, 0);
}

void ReadStepReport(TMxReader& reader, TComponent* report)
{
    if (auto* null = dynamic_cast<TNullStepReport*>(report)) {
        const qsizetype start = reader.Position();
        skipRecord(reader, 0);
        null->SetRecord(reader.Bytes(start, reader.Position()));
        return;
    }
    if (auto* own = dynamic_cast<TStepReportStreaming*>(report)) {
        own->ReadReport(reader);
        return;
    }
    reader.ReadObject(report);
}

void WriteStepReport(TMxWriter& writer, TComponent* report)
{
    auto* null = dynamic_cast<TNullStepReport*>(report);
    if (null && !null->Record().isEmpty()) {
        writer.WriteBytes(null->Record());
        return;
    }
    if (auto* own = dynamic_cast<TStepReportStreaming*>(report)) {
        own->WriteReport(writer);
        return;
    }
    writer.WriteObject(report);
}

void CopyStepReport(const TComponent* source, TComponent* dest)
{
    if (!source || !dest || source == dest)
        return;
    auto* from = dynamic_cast<const TNullStepReport*>(source);
    auto* to = dynamic_cast<TNullStepReport*>(dest);
    if (from && to) {
        to->SetRecord(from->Record());
        return;
    }
    QByteArray bytes;
    TMxWriter writer(bytes);
    WriteStepReport(writer, const_cast<TComponent*>(source));
    TMxReader reader(bytes);
    ReadStepReport(reader, dest);
}

} // namespace mx
