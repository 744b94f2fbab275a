#include "wipe.h"

#include <cstring>

namespace mx {
namespace {

// A store the compiler may not drop because the buffer is not read again.
void zero(void* data, size_t size)
{
    if (size > 0)
        ::explicit_bzero(data, size);
}

} // namespace

void WipeString(QString& text)
{
    if (!text.isDetached()) {
        text.clear();
        return;
    }
    zero(text.data(), size_t(text.size()) * sizeof(QChar));
    // Shortening a string that owns its buffer keeps the buffer: it is the
    // zeroed one that is released.
    text.truncate(0);
}

void WipeBytes(QByteArray& bytes)
{
    if (!bytes.isDetached()) {
        bytes.clear();
        return;
    }
    zero(bytes.data(), size_t(bytes.size()));
    bytes.truncate(0);
}

} // namespace mx
