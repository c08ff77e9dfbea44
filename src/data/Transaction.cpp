#include "data/Transaction.h"

#include "data/Connection.h"
#include "data/RecordsetImpl.h"

#include <QSqlDriver>

namespace K7X_DoruVevuzu::data {

QSqlQuery execute(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool done = false;
    if (values.isEmpty()) { // a statement the server will not prepare (SET) runs as it is
        done = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant& value : values)
            query.addBindValue(storable(value));
        done = query.exec();
    }
    if (!done)
        raiseDatabaseError(query.lastError());
    return query;
}

Transaction::Transaction(const QSqlDatabase& db, std::chrono::seconds wait)
    : m_db(db), m_sqlite(db.driver() && db.driver()->dbmsType() == QSqlDriver::SQLite) {
    if (insideTransaction(m_db))
        raise(Recordset::DatabaseErrorNumber,
              QStringLiteral("Una transazione è già aperta sulla connessione: concluderla prima "
                             "di continuare."));
    try {
        begin(QString::number(std::chrono::milliseconds(wait).count()));
    } catch (...) {
        end(); // a destructor does not run for an object never made
        throw;
    }
}

Transaction::~Transaction() {
    end();
}

void Transaction::begin(const QString& waitMs) {
    if (m_sqlite) {
        QSqlQuery timeout = run(QStringLiteral("PRAGMA busy_timeout"));
        m_busyTimeout = timeout.next() ? timeout.value(0) : QVariant();
        run(QStringLiteral("PRAGMA busy_timeout = ") + waitMs);
        run(QStringLiteral("BEGIN IMMEDIATE"));
        m_open = true;
        return;
    }
    if (!m_db.transaction())
        raiseDatabaseError(m_db.lastError());
    m_open = true;
    if (m_db.driver()->dbmsType() == QSqlDriver::PostgreSQL)
        run(QStringLiteral("SET LOCAL lock_timeout = ") + waitMs);
}

void Transaction::end() {
    if (m_open)
        rollback();
    if (m_busyTimeout.isValid())
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA busy_timeout = ") + m_busyTimeout.toString());
}

void Transaction::holdRows(const QString& select, const QVariantList& values) {
    run(m_sqlite ? select : select + QStringLiteral(" FOR UPDATE"), values);
}

void Transaction::commit() {
    if (m_sqlite)
        run(QStringLiteral("COMMIT"));
    else if (!m_db.commit())
        raiseDatabaseError(m_db.lastError());
    m_open = false;
}

void Transaction::rollback() {
    m_open = false;
    if (m_sqlite)
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
    else
        m_db.rollback();
}

} // namespace K7X_DoruVevuzu::data
