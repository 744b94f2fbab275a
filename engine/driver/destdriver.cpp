#include "destdriver.h"

#include "destproperties.h"

namespace mx {

TIMxDestDriver::~TIMxDestDriver() = default;

TIMxDestProperties* TIMxDestDriver::CreateProperties()
{
    return new TIMxDestProperties(nullptr);
}

void TIMxDestDriver::FreeProperties(TIMxDestProperties* properties)
{
    TMxItem::Free(properties);
}

bool TIMxDestDriver::ExportsTableCopy() const
{
    return false;
}

bool TIMxDestDriver::ReadsItsFile() const
{
    return false;
}

} // namespace mx
