#include "picturespec.h"

#include "engine/core/exceptions.h"
#include "engine/core/format.h"
#include "engine/stream/filer.h"
#include "engine/stream/writer.h"

#include "platform/core/cp1252.h"

#include <QtEndian>

namespace mx {

MX_DEFINE_CLASS(TPictureSpec, TPersistent, nullptr)

namespace {
constexpr int kMaxClassName = 63;

bool knownClass(const QString& name)
{
    return name == u"TBitmap" || name == u"TIcon" || name == u"TMetafile";
}
} // namespace

void TPictureSpec::changed()
{
    if (OnChange)
        OnChange();
}

bool TPictureSpec::IsKnownGraphic() const
{
    return knownClass(m_className);
}

QByteArray TPictureSpec::ImageBytes() const
{
    if (!IsKnownGraphic() || m_data.size() < 4)
        return {};
    const quint32 n = qFromLittleEndian<quint32>(m_data.constData());
    if (qsizetype(n) > m_data.size() - 4)
        return {};
    return m_data.mid(4, qsizetype(n));
}

void TPictureSpec::SetImage(const QByteArray& imageBytes, const QString& graphicClass)
{
    if (imageBytes.isEmpty()) {
        Clear();
        return;
    }
    if (graphicClass.isEmpty() || TMxWriter::Encode(graphicClass).size() > kMaxClassName)
        throw EMxInternal(Format(QStringLiteral("Invalid graphic class %s"), {graphicClass}));
    m_className = graphicClass;
    m_data.resize(4);
    qToLittleEndian<quint32>(quint32(imageBytes.size()), m_data.data());
    m_data.append(imageBytes);
    changed();
}

void TPictureSpec::Clear()
{
    m_className.clear();
    m_data.clear();
    changed();
}

QByteArray TPictureSpec::ToData() const
{
    if (IsEmpty())
        return {};
    const QByteArray name = TMxWriter::Encode(m_className);
    QByteArray out;
    out.reserve(1 + name.size() + m_data.size());
    out.append(char(name.size()));
    out.append(name);
    out.append(m_data);
    return out;
}

void TPictureSpec::FromData(const QByteArray& data)
{
    if (data.isEmpty())
        throw EReadError(QStringLiteral("Invalid picture data"));
    const int n = static_cast<unsigned char>(data[0]);
    if (n == 0 || n > kMaxClassName || 1 + n > data.size())
        throw EReadError(Format(QStringLiteral("Invalid picture data: a class name of %d characters"), {n}));
    const QString name = cp1252::decode(data.constData() + 1, n);
    QByteArray rest = data.mid(1 + n);
    if (knownClass(name)) {
        if (rest.size() < 4)
            throw EReadError(QStringLiteral("Invalid picture data: the image length is missing"));
        const quint32 len = qFromLittleEndian<quint32>(rest.constData());
        if (qsizetype(len) > rest.size() - 4)
            throw EReadError(Format(QStringLiteral("Invalid picture data: %d image bytes announced, %d present"),
                {qint64(len), qint64(rest.size() - 4)}));
    }
    m_className = name;
    m_data = rest;
    changed();
}

void TPictureSpec::Assign(const TPersistent* source)
{
    auto* p = dynamic_cast<const TPictureSpec*>(source);
    if (!p) {
        TPersistent::Assign(source);
        return;
    }
    if (p == this)
        return;
    m_className = p->m_className;
    m_data = p->m_data;
    changed();
}

void TPictureSpec::DefineProperties(TFiler& filer)
{
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](const QByteArray& bytes) { FromData(bytes); },
        [this](QByteArray& bytes) { bytes = ToData(); }, !IsEmpty());
}

} // namespace mx
