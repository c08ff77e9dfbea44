#include "data/Connection.h"

#include "data/RecordsetImpl.h"

#include <QSqlDriver>

#include <libpq-fe.h>

namespace K7X_DoruVevuzu::data {

namespace {

// Set on the connection's driver (shared by every copy of the connection) by a watch that saw
// the connection lost between transactions.
constexpr char kReopen[] = "ctlReopenLostConnection";

// The libpq connection behind a PostgreSQL connection; nullptr for other drivers or none. Qt
// names the handle's type after libpq's typedef or, as Qt 6 does, after the struct behind it.
PGconn* libpqConnection(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

} // namespace

bool connectionLost(const QSqlDatabase& db) {
    PGconn* connection = libpqConnection(db);
    if (!connection)
        return false;
    // A server that ends a session says so before it closes the socket; libpq reads that as a
    // statement's error and notices the closed socket only at its next read.
    if (PQstatus(connection) == CONNECTION_OK)
        PQconsumeInput(connection);
    return PQstatus(connection) == CONNECTION_BAD;
}

bool insideTransaction(const QSqlDatabase& db) {
    PGconn* connection = libpqConnection(db);
    return connection && PQtransactionStatus(connection) != PQTRANS_IDLE;
}

ConnectionWatch::ConnectionWatch(const QSqlDatabase& db) : m_db(db) {
    QSqlDriver* driver = m_db.driver();
    if (driver && driver->property(kReopen).toBool()) {
        if (!m_db.open())
            raise(Recordset::NoConnectionNumber,
                  QStringLiteral("Impossibile riaprire la connessione al database: ") +
                      m_db.lastError().text().trimmed());
        driver->setProperty(kReopen, false);
    }
    PGconn* connection = libpqConnection(m_db);
    m_idle = connection && PQtransactionStatus(connection) == PQTRANS_IDLE;
}

ConnectionWatch::~ConnectionWatch() {
    if (m_idle && connectionLost(m_db))
        m_db.driver()->setProperty(kReopen, true);
}

} // namespace K7X_DoruVevuzu::data
