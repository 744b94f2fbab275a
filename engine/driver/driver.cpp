#include "driver.h"

namespace mx {

MX_DEFINE_CLASS(TIMxDriver, TMxItem, nullptr)

TIMxDriver::TIMxDriver(TMxItem* owner) : TMxItem(owner) {}

TIMxDriver::~TIMxDriver() = default;

bool TIMxDriver::AcceptsEngine(const QString&)
{
    return false;
}

} // namespace mx
