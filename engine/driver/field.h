#pragma once
// TIMxField: the description of one column of a driver's dataset.

#include <QString>

#include <cstdint>

namespace mx {

class TIMxField {
public:
    TIMxField() = default;
    TIMxField(QString name, std::uint8_t dataType, std::uint16_t size)
        : Name(std::move(name)), DataType(dataType), Size(size)
    {
    }
    virtual ~TIMxField() = default;

    QString Name;
    std::uint8_t DataType = 0; // the database library's field-type code
    std::uint16_t Size = 0;
};

} // namespace mx
