#include "testsupport.h"

#include <QFile>

namespace mxtest {

QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QByteArray FromHex(const QString& hex)
{
    QString h = hex;
    h.remove(u' ');
    return QByteArray::fromHex(h.toLatin1());
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
        return;
    }
    f.write(bytes);
}

EngineTest::EngineTest() : m_scope(std::make_unique<mx::ScopedUserService>(&m_service)) {}

EngineTest::~EngineTest() = default;

} // namespace mxtest
