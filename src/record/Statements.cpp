#include "record/Statements.h"

#include "errors/Errors.h"

#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CGlobal.h>

#include <QSqlDriver>

#include <algorithm>
#include <optional>

namespace K7X_DoruVevuzu::record {

QSqlDatabase hostConnection(K7XBO_Global::CGlobal& global) {
    K7XBO_Global::CDatabase* database = global.Database();
    if (!database)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il servizio dell'host non fornisce il database."));
    return database->Connection();
}

Statement selectIndex(const QString& modelCode, const QString& indexCode) {
    return {QStringLiteral("SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06=? AND "
                           "KX09_CODICEINDICE=?"),
            {modelCode, indexCode}};
}

Statement selectCodes(const QString& modelCode) {
    return {
        QStringLiteral("SELECT KX09_CODICEINDICE FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06=?"),
        {modelCode}};
}

std::optional<Statement> selectCodesFoldingTo(const QSqlDatabase& db, const QString& modelCode,
                                              const QString& code) {
    // The same key on both sides, written as the schemas' index writes it. The only letters
    // beyond ASCII whose case folds into ASCII are the long s and the Kelvin sign: they are
    // taken as "s" and "k". PostgreSQL also takes every other character beyond printable ASCII
    // as "_", so two codes equal by the rule always have equal keys; SQLite cannot, and a code
    // with such a character is compared by reading the model's codes.
    static const QString sqliteKey =
        QStringLiteral("upper(replace(replace(%1, 'ſ', 's'), 'K', 'k'))");
    static const QString postgresKey = QStringLiteral(
        "upper(regexp_replace(translate(%1, 'ſK', 'sk'), '[^ -~]', '_', 'g') COLLATE \"C\")");
    QString key;
    if (db.driver()->dbmsType() == QSqlDriver::PostgreSQL) {
        key = postgresKey;
    } else if (std::all_of(code.cbegin(), code.cend(),
                           [](QChar c) { return c.unicode() < 0x80 || c == u'ſ' || c == u'K'; })) {
        key = sqliteKey;
    } else {
        return std::nullopt;
    }
    return Statement{
        QStringLiteral("SELECT KX09_CODICEINDICE FROM KX09_INDICE WHERE "
                       "KX09_CODICEMODELLO_KX06=? AND %1=%2")
            .arg(key.arg(QStringLiteral("KX09_CODICEINDICE")), key.arg(QStringLiteral("?"))),
        {modelCode, code}};
}

Statement selectDocuments(const QString& modelCode) {
    return {QStringLiteral("SELECT DISTINCT KX20_NOMEDOCUMENTO FROM KX20_RELAZIONI WHERE "
                           "KX20_CODICEMODELLO_KX06=? ORDER BY KX20_NOMEDOCUMENTO"),
            {modelCode}};
}

Statement selectAllDocuments() {
    return {QStringLiteral("SELECT DISTINCT KX20_NOMEDOCUMENTO FROM KX20_RELAZIONI"), {}};
}

} // namespace K7X_DoruVevuzu::record
