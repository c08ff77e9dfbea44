#pragma once

#include <QString>
#include <QStringView>

namespace K7XBO_Global {

/// Text services of the host, one shared instance (instance()).
///
/// Holds the one case rule for index codes: codes that differ only in case are the same code
/// (Unicode case folding); validation, the formula engine and the reference rewrite all use
/// SameCode() and CodeKey(). Only SqlEscape() throws.
class CTextUtil {
public:
    /// The shared instance.
    static CTextUtil& instance();

    /// `value` with its single quotes doubled; SqlQuote(SqlEscape(v)) is v as a standard SQL
    /// string literal (backslashes, percent signs, line breaks, any Unicode kept), right for
    /// SQLite and for PostgreSQL with standard_conforming_strings on. The component itself
    /// binds every value it sends.
    /// \throws K7X_DoruVevuzu::RuntimeError `InvalidCall` (5), "CTextUtil", "Il testo contiene
    ///         un carattere nullo, che il database non può memorizzare." for a NUL character.
    QString SqlEscape(const QString& value) const;
    /// `value` between single quotes.
    QString SqlQuote(const QString& value) const;
    /// The formula in its \ref md_docs_formula_language "canonical form"; text that does not
    /// parse comes back unchanged.
    QString NormalizeFormula(const QString& formula) const;
    /// An index or data code as the formula language's quoted argument ("A1", a quote inside
    /// doubled).
    QString FormulaQuote(const QString& code) const;
    /// Whether two codes are the same code (case folded).
    static bool SameCode(QStringView a, QStringView b) {
        return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
    }
    /// The text to compare a code by, or to key a set by.
    static QString CodeKey(const QString& code) { return code.toCaseFolded(); }

private:
    CTextUtil() = default;
};

} // namespace K7XBO_Global
