#pragma once
// A destination driver of the program itself that prints the step's own
// report implements this beside TIMxDestDriver: Print on one of its
// destinations then comes here with the destination, whose step (the
// owner of its list) holds the report and the other destinations the
// driver needs. Drivers of plug-in libraries never see it: their
// interface stays TIMxDestDriver alone.

#include <QString>

namespace mx {

class TIMxDataset;
class TIMxDestProperties;
class TQueryDestinationItem;

class TIMxStepReportDriver {
public:
    virtual ~TIMxStepReportDriver() = default;
    // fileName is the destination's file name as its type makes it.
    virtual void PrintStepReport(TIMxDestProperties* properties, const QString& fileName,
        TQueryDestinationItem& destination, TIMxDataset* dataset) = 0;
};

} // namespace mx
