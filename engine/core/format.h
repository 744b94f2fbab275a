#pragma once
// Type-safe formatting in the style of the system's format strings:
//   "%" [index ":"] ["-"] [width | "*"] ["." precision | ".*"] type
// types d u x e f g n m p s, and "%%". A pattern that does not fit its
// arguments raises EConvertError; it never reads an argument of the wrong
// kind. Patterns may come from translation libraries, so nothing here
// trusts them.

#include <QString>
#include <initializer_list>
#include <variant>
#include <vector>

namespace mx {

class FmtArg {
public:
    FmtArg(int v) : m_v(qint64(v)) {}
    FmtArg(unsigned v) : m_v(qint64(v)) {}
    FmtArg(long v) : m_v(qint64(v)) {}
    FmtArg(unsigned long v) : m_v(qint64(v)) {}
    FmtArg(long long v) : m_v(qint64(v)) {}
    FmtArg(unsigned long long v) : m_v(qint64(v)) {}
    FmtArg(double v) : m_v(v) {}
    FmtArg(const QString& v) : m_v(v) {}
    FmtArg(const char* v) : m_v(QString::fromUtf8(v)) {}
    FmtArg(QChar v) : m_v(QString(v)) {}
    FmtArg(const void* p) : m_v(reinterpret_cast<quintptr>(p)) {}

    const std::variant<qint64, double, QString, quintptr>& value() const { return m_v; }

private:
    std::variant<qint64, double, QString, quintptr> m_v;
};

QString Format(const QString& pattern, const std::vector<FmtArg>& args);

inline QString Format(const QString& pattern, std::initializer_list<FmtArg> args)
{
    return Format(pattern, std::vector<FmtArg>(args));
}

} // namespace mx
