// CTextUtil: text services of the host, one shared instance (instance()).
//
// SqlQuote(SqlEscape(v)) is v as a standard SQL string literal: quotes doubled, everything
// else (backslashes, percent signs, line breaks, any Unicode) kept as it is; this is right
// for SQLite and for PostgreSQL with standard_conforming_strings on (CGlobal turns it on).
// A NUL character cannot be stored by either engine: SqlEscape refuses it with a
// RuntimeError. NormalizeFormula writes a formula in its canonical form (text it cannot parse
// comes back unchanged); FormulaQuote writes an index or data code as the formula language's
// quoted argument ("A1", with a quote inside doubled). Neither formula service throws.
#pragma once

#include <QString>

namespace K7XBO_Global {

class CTextUtil {
public:
    static CTextUtil& instance();

    QString SqlEscape(const QString& value) const;
    QString SqlQuote(const QString& value) const;
    QString NormalizeFormula(const QString& formula) const;
    QString FormulaQuote(const QString& code) const;

private:
    CTextUtil() = default;
};

} // namespace K7XBO_Global
