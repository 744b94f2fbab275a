#include "destproperties.h"

#include "engine/core/exceptions.h"

#include <cstring>
#include <limits>
#include <new>

namespace mx {

MX_DEFINE_CLASS(TIMxDestProperties, TMxItem, nullptr)

TIMxDestProperties::TIMxDestProperties(TMxItem* owner) : TMxItem(owner) {}

TIMxDestProperties::~TIMxDestProperties() = default;

bool TIMxDestProperties::SaveToBuffer(char*& buffer, qint32& size, QString* error)
{
    buffer = nullptr;
    size = 0;
    try {
        const QByteArray bytes = SaveToBytes();
        if (bytes.size() > std::numeric_limits<qint32>::max())
            throw EMxException(QStringLiteral("Settings too large"));
        char* block = new char[size_t(bytes.size())];
        std::memcpy(block, bytes.constData(), size_t(bytes.size()));
        buffer = block;
        size = qint32(bytes.size());
        return true;
    } catch (const std::exception& e) {
        if (error)
            *error = ExceptionMessage(e);
    } catch (...) {
        if (error)
            *error = QStringLiteral("Unknown error");
    }
    return false;
}

void TIMxDestProperties::FreeBuffer(char* buffer, qint32)
{
    delete[] buffer;
}

bool TIMxDestProperties::LoadFromBuffer(const char* buffer, qint32 size, QString* error)
{
    try {
        if (!buffer || size <= 0)
            throw EReadError(QStringLiteral("Stream read error"));
        LoadFromStream(QByteArray(buffer, size));
        return true;
    } catch (const std::exception& e) {
        if (error)
            *error = ExceptionMessage(e);
    } catch (...) {
        if (error)
            *error = QStringLiteral("Unknown error");
    }
    return false;
}

TIMxDestProperties* TIMxDestProperties::Clone()
{
    return nullptr;
}

bool TIMxDestProperties::HasData()
{
    return false;
}

} // namespace mx
