// The one way this library talks to a database: run(), a statement with its values, on the
// host's connection.
//
// Values always travel out of line, apart from the text of the statement. On PostgreSQL the
// statement and its values go to the server separately through libpq (PQexecParams on the
// connection Qt's driver holds): no value is ever escaped into SQL text, so no session setting
// (standard_conforming_strings among them) changes what a value means. On SQLite, and on any
// other driver, Qt binds them natively. Statements mark each value with "?".
//
// Before each statement run() looks after the session (data/Session.h): a PostgreSQL session the
// server ended while no transaction was open is opened again first; one that ended inside a
// transaction is reported, never reopened. Every row is read before run() returns. Failures are
// RuntimeError with the source "Recordset": a lost connection in plain words
// (NoConnectionNumber), a text holding NUL on PostgreSQL (which cannot store it), any other
// failure with the database's code (PostgreSQL's SQLSTATE when all digits, SQLite's extended
// result code) and text. Owns nothing; the connection is the host's. GUI thread, like it.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVector>

namespace K7X_DoruVevuzu::data {

// What a statement gave back: every row, and how many rows it changed.
struct Rows {
    QStringList columns; // as the database names them
    // Per column: a PostgreSQL number (real, double precision, numeric), given as the text the
    // server writes for it in this session, so that it compares exactly with the stored value.
    QVector<bool> serverNumbers;
    QVector<QVariant> values; // one row after another; Null is a null QVariant
    int count = 0;
    qint64 affected = 0; // rows an INSERT, UPDATE or DELETE changed
    QVariant insertedId; // SQLite's rowid of a new row; invalid elsewhere

    const QVariant& at(int row, int column) const { return values[row * columns.size() + column]; }
    bool isEmpty() const { return count == 0; }
};

// Error numbers of the database layer (beside the database's own codes).
inline constexpr qint32 kDatabaseErrorNumber = -2147467259; // the driver gave no numeric code
inline constexpr qint32 kNoConnectionNumber = 3709;         // no open connection

Rows run(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

// A value as it is stored and bound: Null stays a null QVariant, a text is never Null.
QVariant storable(const QVariant& value);

[[noreturn]] void raise(qint32 number, const QString& description);

} // namespace K7X_DoruVevuzu::data
