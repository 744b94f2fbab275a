#pragma once
// The font of a parameter control, stored as "Font.Name", "Font.Size",
// "Font.Style" and "Font.Color". Charset, Height and Pitch are read too, so
// that fonts written by other tools load; they are not written.

#include "modeltypes.h"

#include "engine/core/persistent.h"

#include <QString>
#include <functional>

namespace mx {

class TFontSpec : public TPersistent {
    MX_CLASS(TFontSpec)
public:
    static constexpr qint32 clWindowText = qint32(0x80000008u);

    TFontSpec();

    const QString& Name() const { return m_name; }
    void SetName(const QString& value);
    int Size() const { return m_size; }
    void SetSize(int value);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles value);
    qint32 Color() const { return m_color; }
    void SetColor(qint32 value);
    int Charset() const { return m_charset; }
    void SetCharset(int value);
    // Character height in pixels at 96 dots per inch, negative as the class
    // library stores it; setting it sets Size.
    int Height() const;
    void SetHeight(int value);
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch value);

    // Called after every change.
    std::function<void()> OnChange;

    void Assign(const TPersistent* source) override;
    bool operator==(const TFontSpec& o) const;

private:
    void changed();
    QString m_name = QStringLiteral("MS Sans Serif");
    int m_size = 8;
    TFontStyles m_style = 0;
    qint32 m_color = clWindowText;
    int m_charset = 1;
    TFontPitch m_pitch = fpDefault;
};

} // namespace mx
