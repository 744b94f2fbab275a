#pragma once
// Exception classes. Every exception the engine raises derives from
// Exception, which carries a message and its own class name (shown by the
// error handler and used in read-error texts).

#include <QString>
#include <exception>

namespace mx {

class Exception : public std::exception {
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_what(m_message.toUtf8()) {}
    ~Exception() override = default;
    const QString& message() const noexcept { return m_message; }
    void setMessage(const QString& m)
    {
        m_message = m;
        m_what = m.toUtf8();
    }
    virtual QString className() const { return QStringLiteral("Exception"); }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};

#define MX_DECLARE_EXCEPTION(Name, Base)                                      \
    class Name : public Base {                                                \
    public:                                                                   \
        using Base::Base;                                                     \
        QString className() const override { return QStringLiteral(#Name); }  \
    };

// The class library's silent abort: top-level handlers swallow it.
MX_DECLARE_EXCEPTION(EAbort, Exception)
MX_DECLARE_EXCEPTION(EConvertError, Exception)
MX_DECLARE_EXCEPTION(EInOutError, Exception)
MX_DECLARE_EXCEPTION(EStreamError, Exception)
MX_DECLARE_EXCEPTION(EReadError, EStreamError)
MX_DECLARE_EXCEPTION(EInvalidImage, EStreamError)
MX_DECLARE_EXCEPTION(EIntOverflow, Exception)
MX_DECLARE_EXCEPTION(EListError, Exception)
MX_DECLARE_EXCEPTION(EInvalidOperation, Exception)
MX_DECLARE_EXCEPTION(EInvalidCast, Exception)

// The engine's own exceptions.
MX_DECLARE_EXCEPTION(EMxException, Exception)
MX_DECLARE_EXCEPTION(EMxAbort, EMxException)
MX_DECLARE_EXCEPTION(EMxInternal, EMxException)
MX_DECLARE_EXCEPTION(EMxBadDatamodel, EMxException)
MX_DECLARE_EXCEPTION(EMxFileNotFound, EMxException)

// The class name of any exception: ours, or the demangled name of a
// standard one.
QString ExceptionClassName(const std::exception& e);
QString ExceptionMessage(const std::exception& e);

// The class library's list index error.
[[noreturn]] void RaiseListIndexError(qsizetype index);

} // namespace mx
