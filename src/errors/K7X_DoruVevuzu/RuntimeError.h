#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace K7X_DoruVevuzu {

/// The one failure type that reaches a host of ctlIndici.
///
/// Every failure of the component, of the host service, of the database, of the document
/// engine and of the formula engine is thrown as this type: an automation-style run-time
/// error with a number, a source and an Italian description. It is header-only so that the
/// host service and the component raise the very same type. Thread-safe as any value type.
class RuntimeError : public std::exception {
public:
    /// A failure numbered `number`, raised by `source`, told by `description`.
    RuntimeError(qint32 number, QString source, QString description)
        : m_number(number), m_source(std::move(source)), m_description(std::move(description)),
          m_what(m_description.toUtf8()) {}

    /// The error number: one of the constants below, `ObjectError` plus the raiser's own
    /// code, or a database driver's code.
    qint32 number() const { return m_number; }
    /// Who raised it: "ctlIndici", "Recordset", "Documenti", "Aggiornamento formule.",
    /// "CFormulaEngine", "CTextUtil", "Rinomina indice", or a host's own name.
    QString source() const { return m_source; }
    /// The Italian text to show the user.
    QString description() const { return m_description; }
    /// The description in UTF-8.
    const char* what() const noexcept override { return m_what.constData(); }

    /// Invalid procedure call or argument.
    static constexpr qint32 InvalidCall = 5;
    /// Arithmetic overflow (a text past the length a 32-bit position reaches).
    static constexpr qint32 Overflow = 6;
    /// Out of memory.
    static constexpr qint32 OutOfMemory = 7;
    /// An object (the host service, or a part the component released) is missing.
    static constexpr qint32 ObjectNotSet = 91;
    /// A Null where a value is needed.
    static constexpr qint32 InvalidUseOfNull = 94;
    /// The object does not support this action.
    static constexpr qint32 NotAvailable = 445;
    /// The base of a component's own numbers (0x80040000); alone, a failure without a number.
    static constexpr qint32 ObjectError = -2147221504;

private:
    qint32 m_number;
    QString m_source;
    QString m_description;
    QByteArray m_what;
};

} // namespace K7X_DoruVevuzu
