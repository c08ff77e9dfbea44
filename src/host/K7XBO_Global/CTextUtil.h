// CTextUtil: text services of the host, one shared instance (instance()).
//
// SqlQuote(SqlEscape(v)) is v as a standard SQL string literal: quotes doubled, everything
// else (backslashes, percent signs, line breaks, any Unicode) kept as it is; right for SQLite
// and for PostgreSQL with standard_conforming_strings on. (The component itself binds every
// value it sends, so no statement of its depends on that setting.) A NUL character cannot be
// stored by either engine: SqlEscape refuses it with a RuntimeError. NormalizeFormula writes a
// formula in its canonical form (text it cannot parse comes back unchanged); FormulaQuote
// writes an index or data code as the formula language's quoted argument ("A1", with a quote
// inside doubled). Neither formula service throws.
// The one case rule for index codes: codes that differ only in case are the same code
// (Unicode case folding). SameCode compares by it, CodeKey gives the text to compare or to
// key a set by; validation, the formula engine and the reference rewrite all use them.
#pragma once

#include <QString>
#include <QStringView>

namespace K7XBO_Global {

class CTextUtil {
public:
    static CTextUtil& instance();

    QString SqlEscape(const QString& value) const;
    QString SqlQuote(const QString& value) const;
    QString NormalizeFormula(const QString& formula) const;
    QString FormulaQuote(const QString& code) const;
    static bool SameCode(QStringView a, QStringView b) {
        return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
    }
    static QString CodeKey(const QString& code) { return code.toCaseFolded(); }

private:
    CTextUtil() = default;
};

} // namespace K7XBO_Global
