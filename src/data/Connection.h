// A PostgreSQL connection that the server dropped (stopped, restarted, or an administrator
// ended the session) still reads as open in Qt SQL; libpq knows it is gone.
//
// connectionLost() tells. A ConnectionWatch spans one operation of the component on the
// host's connection: when the connection is lost during it while no transaction was open, the
// next watch on that connection opens it again, so a retry works without the host redoing
// anything. A connection lost inside a transaction is never reopened here: the server rolled
// that transaction back, and only its owner can decide what to do (a reopened session would
// let its later COMMIT succeed on nothing). Other drivers never lose their connection this
// way: for them both do nothing. GUI thread only, like the connection.
#pragma once

#include <QSqlDatabase>

namespace K7X_DoruVevuzu::data {

bool connectionLost(const QSqlDatabase& db);
// True when a PostgreSQL connection is inside a transaction (false for other drivers).
bool insideTransaction(const QSqlDatabase& db);

class ConnectionWatch {
public:
    // Reopens the connection when an earlier watch saw it lost outside a transaction; throws
    // RuntimeError (Recordset::NoConnectionNumber) when the server still refuses it.
    explicit ConnectionWatch(const QSqlDatabase& db);
    ~ConnectionWatch();
    ConnectionWatch(const ConnectionWatch&) = delete;
    ConnectionWatch& operator=(const ConnectionWatch&) = delete;

private:
    QSqlDatabase m_db;
    bool m_idle = false; // no transaction was open when the watch began
};

} // namespace K7X_DoruVevuzu::data
