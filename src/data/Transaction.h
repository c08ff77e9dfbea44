// Transaction: one transaction of our own on the host's connection, for a command that must
// change several rows together or not at all.
//
// It begins at once with the database's write lock on SQLite (BEGIN IMMEDIATE: two writers never
// both read and then find they cannot write), and waits for another writer's lock up to `wait`
// (SQLite's busy timeout, PostgreSQL's lock timeout, both as they were afterwards). holdRows()
// holds the rows a statement selects against other holders until the end (FOR NO KEY UPDATE on
// PostgreSQL, which leaves other sessions free to add rows that refer to them; SQLite's write
// lock already holds the whole database). A connection already inside a transaction (the host's
// own) is refused: its commit is not ours to make; a session the server ended is opened again
// first, as for any statement (data/Session.h). It rolls back when it goes without commit().
// Every statement goes through the statement runner. Failures are RuntimeError (source
// "Recordset", the database's code and text). Owns nothing but its open transaction; the
// connection is the host's. GUI thread.
#pragma once

#include "data/Runner.h"

#include <QSqlDatabase>

#include <chrono>

namespace K7X_DoruVevuzu::data {

class Transaction {
public:
    Transaction(const QSqlDatabase& db, std::chrono::seconds wait);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Raises, as the constructor does, when the connection is inside a transaction already; a
    // command that prepares long work before its transaction asks first.
    static void requireNoneOpen(const QSqlDatabase& db);

    Rows run(const QString& sql, const QVariantList& values = {}) {
        return data::run(m_db, sql, values);
    }
    // Runs a SELECT and holds the rows it finds.
    void holdRows(const QString& select, const QVariantList& values);
    void commit();

private:
    void begin(const QString& waitMs);
    void end(); // rolls back what is open, gives the busy timeout back

    QSqlDatabase m_db;
    bool m_sqlite = false;
    QVariant m_busyTimeout; // SQLite's, to give back
    bool m_open = false;
};

} // namespace K7X_DoruVevuzu::data
