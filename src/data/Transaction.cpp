#include "data/Transaction.h"

#include "data/Session.h"

#include <QSqlDriver>

namespace K7X_DoruVevuzu::data {

Transaction::Transaction(const QSqlDatabase& db, std::chrono::seconds wait)
    : m_db(db), m_sqlite(db.driver() && db.driver()->dbmsType() == QSqlDriver::SQLite) {
    requireNoneOpen(m_db);
    try {
        begin(QString::number(std::chrono::milliseconds(wait).count()));
    } catch (...) {
        end(); // a destructor does not run for an object never made
        throw;
    }
}

void Transaction::requireNoneOpen(const QSqlDatabase& db) {
    requireSession(db);
    if (insideTransaction(db))
        raise(kDatabaseErrorNumber,
              QStringLiteral("Una transazione è già aperta sulla connessione: concluderla prima "
                             "di continuare."));
}

Transaction::~Transaction() {
    end();
}

void Transaction::begin(const QString& waitMs) {
    if (m_sqlite) {
        const Rows timeout = run(QStringLiteral("PRAGMA busy_timeout"));
        m_busyTimeout = timeout.isEmpty() ? QVariant() : timeout.at(0, 0);
        run(QStringLiteral("PRAGMA busy_timeout = ") + waitMs);
        run(QStringLiteral("BEGIN IMMEDIATE"));
        m_open = true;
        return;
    }
    run(QStringLiteral("BEGIN"));
    m_open = true;
    if (m_db.driver()->dbmsType() == QSqlDriver::PostgreSQL)
        run(QStringLiteral("SET LOCAL lock_timeout = ") + waitMs);
}

void Transaction::end() {
    try {
        if (m_open) {
            m_open = false;
            run(QStringLiteral("ROLLBACK"));
        }
        if (m_busyTimeout.isValid())
            run(QStringLiteral("PRAGMA busy_timeout = ") + m_busyTimeout.toString());
    } catch (const RuntimeError&) { // a session lost meanwhile has nothing left to roll back
    }
}

void Transaction::holdRows(const QString& select, const QVariantList& values) {
    run(m_sqlite ? select : select + QStringLiteral(" FOR NO KEY UPDATE"), values);
}

void Transaction::commit() {
    run(QStringLiteral("COMMIT"));
    m_open = false;
}

} // namespace K7X_DoruVevuzu::data
