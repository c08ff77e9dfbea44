#include <K7XBO_Global/CTextUtil.h>
#include <K7X_DoruVevuzu/RuntimeError.h>

namespace K7XBO_Global {

CTextUtil& CTextUtil::instance() {
    static CTextUtil shared;
    return shared;
}

QString CTextUtil::SqlEscape(const QString& value) const {
    if (value.contains(QChar(0)))
        throw K7X_DoruVevuzu::RuntimeError(
            K7X_DoruVevuzu::RuntimeError::InvalidCall, QStringLiteral("CTextUtil"),
            QStringLiteral("Il testo contiene un carattere nullo, che il database non può "
                           "memorizzare."));
    QString escaped = value;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return escaped;
}

QString CTextUtil::SqlQuote(const QString& value) const {
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

} // namespace K7XBO_Global
