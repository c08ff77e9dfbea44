#include "record/Statements.h"

#include "control/Errors.h"
#include "data/Recordset.h"

#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CGlobal.h>

#include <optional>

namespace K7X_DoruVevuzu::record {

namespace {
constexpr int kClientCursor = 3;
constexpr int kStaticCursor = 3;
constexpr int kPessimisticLock = 2;

void openClientStatic(data::Recordset& records, const QSqlDatabase& connection,
                      const Statement& statement, std::optional<int> lockType) {
    records.setActiveConnection(connection);
    records.setCursorLocation(kClientCursor);
    records.setCursorType(kStaticCursor);
    if (lockType)
        records.setLockType(*lockType);
    records.Open(statement.sql, statement.values);
}
} // namespace

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

Statement selectModel(const QString& modelCode) {
    return {QStringLiteral("SELECT * FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06=?"),
            {modelCode}};
}

Statement selectCodes(const QString& modelCode) {
    return {
        QStringLiteral("SELECT KX09_CODICEINDICE FROM KX09_INDICE WHERE KX09_CODICEMODELLO_KX06=?"),
        {modelCode}};
}

Statement selectDocuments(const QString& modelCode) {
    return {QStringLiteral("SELECT DISTINCT KX20_NOMEDOCUMENTO FROM KX20_RELAZIONI WHERE "
                           "KX20_CODICEMODELLO_KX06=? ORDER BY KX20_NOMEDOCUMENTO"),
            {modelCode}};
}

void openForEditing(data::Recordset& records, const QSqlDatabase& connection,
                    const Statement& statement) {
    openClientStatic(records, connection, statement, kPessimisticLock);
}

void openForReading(data::Recordset& records, const QSqlDatabase& connection,
                    const Statement& statement) {
    openClientStatic(records, connection, statement, std::nullopt);
}

data::Recordset& existing(const std::unique_ptr<data::Recordset>& records) {
    if (!records)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il record set dell'indice non esiste più (Destroy)."));
    return *records;
}

} // namespace K7X_DoruVevuzu::record
