#pragma once
// The picture of an image control, stored as the binary property
// "Picture.Data": the graphic's class name as a length byte (at most 63)
// and its characters, then the graphic's own data. For the graphics we
// write ("TBitmap", also read as "TIcon" and "TMetafile") that data is a
// 32-bit little-endian length and the image bytes (BMP for new pictures,
// any format Qt reads). A graphic of another class keeps its data as read
// and writes it back unchanged. The engine keeps bytes only; the user
// interface decodes them.

#include "engine/core/persistent.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace mx {

class TPictureSpec : public TPersistent {
    MX_CLASS(TPictureSpec)
public:
    TPictureSpec() = default;

    bool IsEmpty() const { return m_className.isEmpty(); }
    // The graphic's class: "TBitmap", "TIcon", "TMetafile" or another.
    const QString& GraphicClass() const { return m_className; }
    // True for the classes whose data is a length and image bytes.
    bool IsKnownGraphic() const;
    // The image bytes of a known graphic; empty otherwise.
    QByteArray ImageBytes() const;
    // The graphic's data after its class name, as stored.
    const QByteArray& StoredData() const { return m_data; }

    // A new picture (a BMP image by default).
    void SetImage(const QByteArray& imageBytes, const QString& graphicClass = QStringLiteral("TBitmap"));
    void Clear();

    // The stored form, and reading it back; bad data raises EReadError.
    QByteArray ToData() const;
    void FromData(const QByteArray& data);

    std::function<void()> OnChange;

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;
    bool operator==(const TPictureSpec& o) const { return m_className == o.m_className && m_data == o.m_data; }

private:
    void changed();
    QString m_className;
    QByteArray m_data;
};

} // namespace mx
