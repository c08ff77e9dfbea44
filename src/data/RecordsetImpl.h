// The private state of a Recordset and the helpers its source files share: the cached rows and
// column index (Recordset.cpp), the statements that write them back (RecordsetWrite.cpp) and
// the watch over the connection (Connection.cpp). Errors are thrown as RuntimeError with the
// source "Recordset".
#pragma once

#include "data/Recordset.h"

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <utility>

namespace K7X_DoruVevuzu::data {

struct Recordset::Impl {
    QSqlDatabase db;
    int cursorLocation = 2; // ADO's defaults: server side, forward-only, read-only
    int cursorType = 0;
    int lockType = 1;
    int state = adStateClosed;

    QString source;
    QString baseTable;               // found after FROM on the first write
    QStringList columns;             // names as the driver reports them
    QHash<QString, int> columnIndex; // case-folded name -> position in a row
    QVector<QVariant> values;        // the rows one after another, columns.size() each
    // Per column: a PostgreSQL number (NUMERIC arrives as the server's text, DOUBLE PRECISION
    // as a double), compared by the lost-update check as the server writes it, whatever its
    // float output (extra_float_digits, servers before 12).
    QVector<bool> serverNumber;
    int rowCount = 0;
    int current = 0;

    bool adding = false;
    QVector<std::pair<int, QVariant>> pending; // columns set since AddNew or the last Update
    QHash<QString, QStringList> primaryKeys;   // base table -> key columns, this connection

    int column(const QString& name) const;
    // A query on the connection that reads numbers as the server writes them (on PostgreSQL).
    QSqlQuery newQuery() const;
    bool run(QSqlQuery& query, const QString& sql, const QVariantList& bindings) const;
    void refuseNul(const QVariant& value, const QString& what) const; // on PostgreSQL
    const QVariant* pendingValue(int column) const;
    const QVariant& stored(int row, int column) const {
        return values[row * columns.size() + column];
    }
    void requireOpen() const;
    void requireCurrentRow() const;
    void requireWritable() const;
    void requireConnection() const; // one the server has not dropped
    // A statement's failure: a lost connection says so in plain words, any other failure
    // carries the driver's code and text.
    [[noreturn]] void failed(const QSqlError& error) const;
    void clearBuffer() {
        adding = false;
        pending.clear();
    }

    // RecordsetWrite.cpp
    QString quoted(int column) const;
    QString conditions(const QVector<int>& matched, const QVector<QVariant>& row,
                       QVariantList& bindings) const;
    QVector<int> keyColumns(); // of the base table, looked up once; throws when unusable
    void readBack(QVector<QVariant>& row, const QVector<int>& key) const;
    void insertPending();
    void updatePending();
};

[[noreturn]] void raise(qint32 number, const QString& description);
// Raises a failure the database reported: its numeric code when it has one, and its text.
[[noreturn]] void raiseDatabaseError(const QSqlError& error);
// A value as it is cached and bound: Null stays a null QVariant, a text is never Null.
QVariant storable(const QVariant& value);

} // namespace K7X_DoruVevuzu::data
