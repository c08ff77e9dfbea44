#include "data/Runner.h"

#include "data/PostgresStatement.h"
#include "data/Session.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace K7X_DoruVevuzu::data {

namespace {

// A failure the database reported: its numeric code when it has one, and its text.
[[noreturn]] void raiseDatabaseError(const QSqlError& error) {
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    const QString text =
        (error.databaseText().isEmpty() ? error.driverText() : error.databaseText()).trimmed();
    raise(numeric ? code : kDatabaseErrorNumber, QStringLiteral("Errore del database: ") + text);
}

// Through Qt's driver, which binds the values natively (SQLite and the others).
Rows runBound(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool done = false;
    if (values.isEmpty()) { // a statement that cannot be prepared (a PRAGMA) runs as it is
        done = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant& value : values)
            query.addBindValue(storable(value));
        done = query.exec();
    }
    if (!done)
        raiseDatabaseError(query.lastError());
    Rows rows;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        rows.columns.append(record.fieldName(i));
    rows.serverNumbers.fill(false, rows.columns.size());
    for (; query.next(); ++rows.count)
        for (int i = 0; i < rows.columns.size(); ++i)
            rows.values.append(storable(query.value(i)));
    if (query.lastError().isValid())
        raiseDatabaseError(query.lastError());
    rows.affected = query.numRowsAffected();
    rows.insertedId = query.lastInsertId();
    return rows;
}

} // namespace

[[noreturn]] void raise(qint32 number, const QString& description) {
    throw RuntimeError(number, QStringLiteral("Recordset"), description);
}

QVariant storable(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QString::fromLatin1(QByteArrayView("", 0)); // empty, but not a Null
    return value;
}

Rows run(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    requireSession(db);
    if (pg_conn* connection = libpqConnection(db)) {
        PostgresStatement statement(sql, values);
        Rows rows = statement.runOn(connection, [&db] { raiseIfLost(db); });
        noteSession(db);
        return rows;
    }
    return runBound(db, sql, values);
}

} // namespace K7X_DoruVevuzu::data
