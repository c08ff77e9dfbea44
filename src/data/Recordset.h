// Recordset: a client-side static record set over a QSqlDatabase, shaped like the ADO
// record set the component was designed around.
//
// Open() runs a SELECT and keeps all its rows in memory; the cursor then moves over them.
// Writes go to an edit buffer (the current row's changes, or a new row after AddNew) and
// Update() sends them as one INSERT or one UPDATE keyed by the base table's primary key,
// inside a transaction of its own unless the connection already has one. An UPDATE also
// requires the original values of the columns it changes (optimistic concurrency, as a
// client-side cursor does): when another user changed or deleted the row, no row is affected
// and Update() fails with ConflictNumber, keeping the edit buffer so nothing typed is lost.
// Values are QVariant; a Null (invalid/null QVariant) is distinct from an empty text.
// The base table is the one named after FROM in the statement.
// Failures are thrown as K7X_DoruVevuzu::RuntimeError carrying the driver's error number and
// text. Not thread-safe; owns nothing but its cached rows (the connection is the host's).
#pragma once

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

namespace K7X_DoruVevuzu::data {

class Recordset {
public:
    enum StateValue { adStateClosed = 0, adStateOpen = 1 };
    static constexpr qint32 ConflictNumber = -2147217864; // row changed or deleted by others

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void setActiveConnection(const QSqlDatabase& db);
    void setCursorLocation(int location); // 3: client side (the only one kept)
    void setCursorType(int type);         // 0 forward-only, 3 static: both read as static
    void setLockType(int type);           // 1 read-only refuses writes; 2, 3, 4 allow them
    int CursorLocation() const;
    int CursorType() const;
    int LockType() const;

    // Runs the statement and stands on its first row (EOF when there is none).
    void Open(const QString& source);
    int State() const;
    void Close();

    bool Eof() const; // ADO's EOF (a name the C library reserves for a macro)
    void MoveNext();
    void MoveFirst();
    int RecordCount() const;

    // Field access by column name (case-insensitive). Reading with no current row, or an
    // unknown column, throws.
    QVariant Field(const QString& name) const;
    void setField(const QString& name, const QVariant& value);

    void AddNew();
    void Update();
    void CancelUpdate();
    bool editing() const; // a new row or changes are pending in the edit buffer

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace K7X_DoruVevuzu::data
