#include "fontspec.h"

#include "storevalue.h"

#include <cstdlib>

namespace mx {

static void describeFont(ClassBuilder<TFontSpec>& c)
{
    // The names the class library uses, in its order.
    c.integer(QStringLiteral("Charset"), &TFontSpec::Charset, &TFontSpec::SetCharset).storedIf([](const TFontSpec*) { return false; });
    c.integer(QStringLiteral("Color"), &TFontSpec::Color, &TFontSpec::SetColor, std::nullopt);
    c.integer(QStringLiteral("Height"), &TFontSpec::Height, &TFontSpec::SetHeight).storedIf([](const TFontSpec*) { return false; });
    c.string(QStringLiteral("Name"), &TFontSpec::Name, &TFontSpec::SetName);
    c.enumeration(QStringLiteral("Pitch"), FontPitchInfo(), &TFontSpec::Pitch, &TFontSpec::SetPitch)
        .storedIf([](const TFontSpec*) { return false; });
    c.integer(QStringLiteral("Size"), &TFontSpec::Size, &TFontSpec::SetSize, std::nullopt);
    c.set(QStringLiteral("Style"), FontStyleInfo(), &TFontSpec::Style, &TFontSpec::SetStyle, std::nullopt);
}
MX_DEFINE_CLASS(TFontSpec, TPersistent, describeFont)

TFontSpec::TFontSpec() = default;

void TFontSpec::changed()
{
    if (OnChange)
        OnChange();
}

void TFontSpec::SetName(const QString& value)
{
    if (StoreIfChanged(m_name, value))
        changed();
}

void TFontSpec::SetSize(int value)
{
    if (StoreIfChanged(m_size, value))
        changed();
}

void TFontSpec::SetStyle(TFontStyles value)
{
    if (StoreIfChanged(m_style, value & 0xFu))
        changed();
}

void TFontSpec::SetColor(qint32 value)
{
    if (StoreIfChanged(m_color, value))
        changed();
}

void TFontSpec::SetCharset(int value)
{
    if (StoreIfChanged(m_charset, value))
        changed();
}

int TFontSpec::Height() const
{
    return -((m_size * 96 + 36) / 72);
}

void TFontSpec::SetHeight(int value)
{
    SetSize((std::abs(value) * 72 + 48) / 96);
}

void TFontSpec::SetPitch(TFontPitch value)
{
    if (StoreIfChanged(m_pitch, value))
        changed();
}

void TFontSpec::Assign(const TPersistent* source)
{
    auto* f = dynamic_cast<const TFontSpec*>(source);
    if (!f) {
        TPersistent::Assign(source);
        return;
    }
    if (f == this || *f == *this)
        return;
    m_name = f->m_name;
    m_size = f->m_size;
    m_style = f->m_style;
    m_color = f->m_color;
    m_charset = f->m_charset;
    m_pitch = f->m_pitch;
    changed();
}

bool TFontSpec::operator==(const TFontSpec& o) const
{
    return m_name == o.m_name && m_size == o.m_size && m_style == o.m_style && m_color == o.m_color
        && m_charset == o.m_charset && m_pitch == o.m_pitch;
}

} // namespace mx
