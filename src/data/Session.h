// The life of the host's PostgreSQL session, as the statement runner sees it.
//
// A connection the server dropped (stopped, restarted, an idle timeout, an administrator ending
// the session) still reads as open in Qt SQL; libpq knows it is gone. Before each statement,
// requireSession() looks: a session that ended while no transaction was open is opened again at
// once, so the statement runs on the new one and the host redoes nothing. A session that ended
// inside a transaction (the host's own, or one of ours) is never reopened here: the server
// rolled that transaction back, and only its owner can decide what to do (a reopened session
// would let its later COMMIT succeed on nothing); every call then fails with the same message
// until the host opens the connection again. Whether a transaction was open is read from libpq
// before it reads the server's farewell, or, when someone else read it first, from the last
// statement this library ran. Other drivers never lose their connection this way: for them
// these functions do nothing. Failures are RuntimeError (kNoConnectionNumber). GUI thread only.
#pragma once

#include <QSqlDatabase>

struct pg_conn;

namespace K7X_DoruVevuzu::data {

// The libpq connection behind a PostgreSQL connection; nullptr for other drivers or none.
pg_conn* libpqConnection(const QSqlDatabase& db);

// Makes sure a statement can run: reopens a session lost outside a transaction, raises when the
// connection is closed, was lost inside a transaction, or cannot be opened again.
void requireSession(const QSqlDatabase& db);
// Notes whether a transaction is open, after a statement ran.
void noteSession(const QSqlDatabase& db);
// Raises the plain message of a lost connection when the session has ended; returns otherwise.
void raiseIfLost(const QSqlDatabase& db);
// True when a PostgreSQL connection is inside a transaction (false for other drivers).
bool insideTransaction(const QSqlDatabase& db);

} // namespace K7X_DoruVevuzu::data
