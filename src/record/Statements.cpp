#include "record/Statements.h"

#include "control/Errors.h"
#include "data/Recordset.h"

#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CTextUtil.h>

#include <optional>

namespace K7X_DoruVevuzu::record {

namespace {
constexpr int kClientCursor = 3;
constexpr int kStaticCursor = 3;
constexpr int kPessimisticLock = 2;

void openClientStatic(data::Recordset& records, const QSqlDatabase& connection,
                      const QString& statement, std::optional<int> lockType) {
    records.setActiveConnection(connection);
    records.setCursorLocation(kClientCursor);
    records.setCursorType(kStaticCursor);
    if (lockType)
        records.setLockType(*lockType);
    records.Open(statement);
}
} // namespace

QSqlDatabase hostConnection(K7XBO_Global::CGlobal& global) {
    K7XBO_Global::CDatabase* database = global.Database();
    if (!database)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il servizio dell'host non fornisce il database."));
    return database->Connection();
}

QString sqlLiteral(const QString& value) {
    const auto& text = K7XBO_Global::CTextUtil::instance();
    return text.SqlQuote(text.SqlEscape(value));
}

QString selectIndex(const QString& modelCode, const QString& indexCode) {
    const QString model = sqlLiteral(modelCode);
    const QString index = sqlLiteral(indexCode);
    return QStringLiteral("SELECT * ") + QStringLiteral("FROM KX09_INDICE ") +
           QStringLiteral("WHERE KX09_CODICEMODELLO_KX06=") + model + QStringLiteral(" AND ") +
           QStringLiteral("KX09_CODICEINDICE=") + index;
}

QString selectModel(const QString& modelCode) {
    return QStringLiteral("SELECT * ") + QStringLiteral("FROM KX09_INDICE ") +
           QStringLiteral("WHERE KX09_CODICEMODELLO_KX06=") + sqlLiteral(modelCode);
}

QString selectDuplicate(const QString& indexCode, const QString& modelCode) {
    const QString index = sqlLiteral(indexCode);
    const QString model = sqlLiteral(modelCode);
    return QStringLiteral("SELECT * FROM KX09_INDICE ") +
           QStringLiteral("WHERE KX09_CODICEINDICE=") + index + QStringLiteral(" AND ") +
           QStringLiteral("KX09_CODICEMODELLO_KX06=") + model;
}

void openForEditing(data::Recordset& records, const QSqlDatabase& connection,
                    const QString& statement) {
    openClientStatic(records, connection, statement, kPessimisticLock);
}

void openForReading(data::Recordset& records, const QSqlDatabase& connection,
                    const QString& statement) {
    openClientStatic(records, connection, statement, std::nullopt);
}

data::Recordset& existing(const std::unique_ptr<data::Recordset>& records) {
    if (!records)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il record set dell'indice non esiste più (Destroy)."));
    return *records;
}

} // namespace K7X_DoruVevuzu::record
