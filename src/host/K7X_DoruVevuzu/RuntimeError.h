// RuntimeError: the one failure type that reaches a host of ctlIndici.
//
// Every failure of the component, of the host service, of the database, of the document
// engine and of the formula engine is thrown as this type: an automation-style run-time
// error with a number, a source and an Italian description. It is header-only so that the
// host service and the component raise the very same type. Thread-safe as any value type.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace K7X_DoruVevuzu {

class RuntimeError : public std::exception {
public:
    RuntimeError(qint32 number, QString source, QString description)
        : m_number(number), m_source(std::move(source)), m_description(std::move(description)),
          m_what(m_description.toUtf8()) {}

    qint32 number() const { return m_number; }
    QString source() const { return m_source; }
    QString description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

    // Well-known numbers of the automation platform that the component keeps.
    static constexpr qint32 InvalidCall = 5; // invalid procedure call or argument
    static constexpr qint32 Overflow = 6;    // arithmetic overflow
    static constexpr qint32 OutOfMemory = 7;
    static constexpr qint32 ObjectNotSet = 91; // an object (the host service) is missing
    static constexpr qint32 InvalidUseOfNull = 94;
    static constexpr qint32 NotAvailable = 445;        // the object does not support this action
    static constexpr qint32 ObjectError = -2147221504; // vbObjectError, 0x80040000

private:
    qint32 m_number;
    QString m_source;
    QString m_description;
    QByteArray m_what;
};

} // namespace K7X_DoruVevuzu
