#include "data/Session.h"

#include "data/Runner.h"

#include <QSqlDriver>
#include <QSqlError>

#include <libpq-fe.h>

namespace K7X_DoruVevuzu::data {

namespace {

// Kept on the connection's driver, which every copy of the connection shares.
constexpr char kInTransaction[] = "ctlInTransaction";         // as the last look found it
constexpr char kLostInTransaction[] = "ctlLostInTransaction"; // set once the session has ended
constexpr char kReopen[] = "ctlReopen"; // lost outside a transaction, not yet open again

const QString kLost = QStringLiteral("La connessione al database si è interrotta (server fermato "
                                     "o riavviato, o rete non raggiungibile)");
const QString kRetry = QStringLiteral("Riprovare quando il database è di nuovo raggiungibile.");

bool postgres(const QSqlDatabase& db) {
    return db.driver() && db.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

// Reads what the server sent meanwhile: true when it ended the session. Whether a transaction
// was open then is read before libpq takes in the end, which makes it forget.
bool sessionEnded(PGconn* connection, QSqlDriver* driver) {
    if (PQstatus(connection) == CONNECTION_OK) {
        const bool open = PQtransactionStatus(connection) != PQTRANS_IDLE;
        // A server ending the session sends its farewell, then closes the socket: the first
        // read takes in the farewell, the second finds the socket closed. Neither waits.
        for (int read = 0; read < 2 && PQstatus(connection) == CONNECTION_OK; ++read) {
            PQconsumeInput(connection);
            PQisBusy(connection); // parses what came
        }
        if (PQstatus(connection) == CONNECTION_OK)
            return false;
        driver->setProperty(kLostInTransaction, open);
    } else if (!driver->property(kLostInTransaction).isValid()) { // another reader saw it first
        driver->setProperty(kLostInTransaction, driver->property(kInTransaction).toBool());
    }
    return true;
}

void reopen(const QSqlDatabase& db) {
    QSqlDriver* driver = db.driver();
    driver->setProperty(kReopen, true);
    QSqlDatabase connection = db;
    if (!connection.open())
        raise(kNoConnectionNumber, kLost + QStringLiteral(" e non è stato possibile riaprirla: ") +
                                       connection.lastError().text().trimmed() + u' ' + kRetry);
    driver->setProperty(kReopen, false);
    driver->setProperty(kLostInTransaction, QVariant());
    driver->setProperty(kInTransaction, false);
}

} // namespace

PGconn* libpqConnection(const QSqlDatabase& db) {
    // Qt names the handle's type after libpq's typedef or, as Qt 6 does, after its struct.
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

void requireSession(const QSqlDatabase& db) {
    QSqlDriver* driver = db.driver();
    PGconn* connection = libpqConnection(db); // kept by Qt after the server ended the session
    if (!connection) {
        if (postgres(db) && driver->property(kReopen).toBool())
            reopen(db); // an earlier attempt failed
        else if (!db.isOpen())
            raise(kNoConnectionNumber,
                  QStringLiteral("Connessione al database non disponibile o chiusa."));
        return;
    }
    if (!sessionEnded(connection, driver)) {
        driver->setProperty(kLostInTransaction, QVariant());
        noteSession(db);
        return;
    }
    if (driver->property(kLostInTransaction).toBool())
        raise(kNoConnectionNumber,
              kLost + QStringLiteral(" mentre era aperta una transazione, che il database ha "
                                     "annullato: riaprire la connessione e ripetere il lavoro."));
    reopen(db);
}

void noteSession(const QSqlDatabase& db) {
    if (PGconn* connection = libpqConnection(db);
        connection && PQstatus(connection) == CONNECTION_OK)
        db.driver()->setProperty(kInTransaction, PQtransactionStatus(connection) != PQTRANS_IDLE);
}

void raiseIfLost(const QSqlDatabase& db) {
    PGconn* connection = libpqConnection(db);
    if (connection && sessionEnded(connection, db.driver()))
        raise(kNoConnectionNumber, kLost + QStringLiteral(". ") + kRetry);
}

bool insideTransaction(const QSqlDatabase& db) {
    PGconn* connection = libpqConnection(db);
    if (!connection)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(connection);
    return status != PQTRANS_IDLE && status != PQTRANS_UNKNOWN;
}

} // namespace K7X_DoruVevuzu::data
