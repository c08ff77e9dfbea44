// Recordset: a client-side static record set over a QSqlDatabase: a cursor over cached rows, fields
// read and written by column name, and an edit buffer saved in one statement.
//
// Open() runs a SELECT and keeps all its rows in memory (one flat value vector and one
// shared, case-insensitive column index); the cursor then moves over them. Writes go to an
// edit buffer (the current row's changes, or a new row after AddNew) and Update() sends them
// as ONE statement with bound parameters: an INSERT of the columns set (the others get the
// database's defaults), or an UPDATE of the columns set keyed by the base table's primary
// key. The row is then read back by its key, so the cached row holds what was stored. Every
// statement goes through the statement runner (data/Runner.h): values out of line.
// Transactions: no BEGIN/COMMIT is issued here. The single statement is atomic on its own;
// when the host has opened a transaction on the connection, the statement simply joins it and
// the host decides its outcome.
// An UPDATE also requires the original values of the columns it changes (optimistic
// concurrency, as a client-side cursor does): when another user changed or deleted the row,
// no row is affected and Update() fails with ConflictNumber, keeping the edit buffer so
// nothing typed is lost. On PostgreSQL a number column is compared as the server writes
// it in this session, so the check holds whatever the server's float output. Every
// failed Update() keeps the buffer; CancelUpdate() drops it. Moving the cursor or calling AddNew()
// with changes pending first runs Update(). Values are QVariant; a Null is a null QVariant,
// distinct from an empty text in both directions (a QVariant holding a null QString is written as
// an empty text). A text holding a NUL is refused on PostgreSQL, which cannot store it, by
// setField() and Open() alike. The base table is the one named after FROM in the statement; the
// primary key is looked up on the first write and cached per table for this record set's connection
// (a look-up that finds none is not kept). A connection the server dropped fails with
// NoConnectionNumber and says so; data/Session.h tells when it is opened again. Failures are
// thrown as K7X_DoruVevuzu::RuntimeError with the source "Recordset": database failures carry the
// driver's numeric error code (PostgreSQL's SQLSTATE when it is all digits, SQLite's extended
// result code), else DatabaseErrorNumber, and the driver's text after an Italian prefix. Not
// thread-safe; owns nothing but its cached rows (the connection is the host's).
#pragma once

#include "data/Runner.h"

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
    static constexpr qint32 DatabaseErrorNumber = kDatabaseErrorNumber; // driver gave no code
    static constexpr qint32 NoCurrentRecordNumber = 3021;               // EOF, or no row at all
    static constexpr qint32 NotUpdatableNumber = 3251;                // read-only, or no usable key
    static constexpr qint32 UnknownColumnNumber = 3265;               // no column of that name
    static constexpr qint32 ClosedNumber = 3704;                      // the record set is closed
    static constexpr qint32 AlreadyOpenNumber = 3705;                 // the record set is open
    static constexpr qint32 NoConnectionNumber = kNoConnectionNumber; // no open connection

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void setActiveConnection(const QSqlDatabase& db);
    QSqlDatabase ActiveConnection() const;
    void setCursorLocation(int location); // 3: client side (the only one kept)
    void setCursorType(int type);         // 0 forward-only, 3 static: both read as static
    void setLockType(int type); // 1 read-only (the default) refuses writes; 2, 3, 4 allow them
    int CursorLocation() const;
    int CursorType() const;
    int LockType() const;

    // Runs the statement, `values` bound to its "?" in order, and stands on its first row (EOF
    // when there is none).
    void Open(const QString& source, const QVariantList& values = {});
    int State() const;
    void Close(); // drops the cached rows and any pending edit; harmless when closed

    bool Eof() const; // past the last row (EOF is a name the C library reserves for a macro)
    void MoveNext();
    void MoveFirst();
    int RecordCount() const;

    // Field access by column name (case-insensitive). Reading with no current row, or an
    // unknown column, throws. While editing, a column set in the buffer reads its new value.
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
