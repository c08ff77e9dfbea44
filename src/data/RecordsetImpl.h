// The private state of a Recordset and the helpers its source files share: the cached rows and
// column index (Recordset.cpp) and the statements that write them back (RecordsetWrite.cpp), all
// run by the statement runner (data/Runner.h). Errors are thrown as RuntimeError with the source
// "Recordset".
#pragma once

#include "data/Recordset.h"
#include "data/Runner.h"

#include <QHash>

#include <utility>

namespace K7X_DoruVevuzu::data {

struct Recordset::Impl {
    QSqlDatabase db;
    int cursorLocation = 2; // the defaults: server side, forward-only, read-only
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
    void refuseNul(const QVariant& value, const QString& what) const; // on PostgreSQL
    const QVariant* pendingValue(int column) const;
    const QVariant& stored(int row, int column) const {
        return values[row * columns.size() + column];
    }
    void requireOpen() const;
    void requireCurrentRow() const;
    void requireWritable() const;
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

} // namespace K7X_DoruVevuzu::data
