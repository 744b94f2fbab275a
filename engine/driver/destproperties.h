#pragma once
// TIMxDestProperties: the settings of one destination of one query step,
// made by the destination's driver and stored in the query file as a block
// of bytes (the object written by the engine's own writer).

#include "engine/core/item.h"

#include <QString>

namespace mx {

class TIMxDestProperties : public TMxItem {
    MX_CLASS(TIMxDestProperties)
public:
    explicit TIMxDestProperties(TMxItem* owner = nullptr);
    ~TIMxDestProperties() override;

    // Writes the object into a new block of exactly its size. On any
    // failure buffer is null and size 0, nothing is left allocated, the
    // reason goes to error and the result is false.
    virtual bool SaveToBuffer(char*& buffer, qint32& size, QString* error = nullptr);
    // Frees a block made by SaveToBuffer; null is ignored.
    virtual void FreeBuffer(char* buffer, qint32 size);
    // Reads the object from a block. On failure the reason goes to error
    // and the result is false; the caller reports it.
    virtual bool LoadFromBuffer(const char* buffer, qint32 size, QString* error = nullptr);
    // A copy made by the same driver, or none (the base class has none).
    using TMxItem::Clone;
    virtual TIMxDestProperties* Clone();
    // Whether there is anything to store (false in the base class).
    virtual bool HasData();
};

} // namespace mx
