// IndexRecord: the row of KX09_INDICE that the editor shows, as the database holds it.
//
// load() reads one index by its model and code and keeps every column's value as stored: the
// originals. insert() stores a new row; update() writes some columns of the row held, with a
// WHERE that holds the key and the original value of each column it writes, so when another
// user changed one of them or deleted the row nothing changes and the save fails with
// ConflictNumber. After either the stored row is read back (or, when that read fails, the row
// keeps the values written). On PostgreSQL a number column is compared as the server writes it
// in this session, whatever its float output. Every statement goes through the statement runner
// (data/Runner.h): values out of line, one statement a save (atomic on its own, or part of the
// host's transaction). A text holding NUL is refused on PostgreSQL, which cannot store it,
// naming its column.
//
// Failures are RuntimeError with the source "Recordset": the database's own (data/Runner.h),
// ConflictNumber, NoCurrentRecordNumber (a value, or an update, with no row held) and
// UnknownColumnNumber (a column the table does not have). A failed load holds no row; a failed
// save leaves the row held as it was. Owns its copy of the row; the connection is the host's.
// GUI thread, like the connection.
#pragma once

#include "data/Runner.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>
#include <utility>

namespace K7X_DoruVevuzu::record {

inline const QString kModelColumn = QStringLiteral("KX09_CODICEMODELLO_KX06");
inline const QString kCodeColumn = QStringLiteral("KX09_CODICEINDICE");

class IndexRecord {
public:
    static constexpr qint32 ConflictNumber = -2147217864; // changed or deleted by another user
    static constexpr qint32 NoCurrentRecordNumber = 3021;
    static constexpr qint32 UnknownColumnNumber = 3265;

    // Columns and the values to write into them, in the order they are written.
    using Values = QVector<std::pair<QString, QVariant>>;

    // Works on `db` from now on; holds no row.
    void open(const QSqlDatabase& db);
    // Works on `db` and reads the index `code` of `model`: no row when there is none.
    void load(const QSqlDatabase& db, const QString& model, const QString& code);
    void close(); // forgets the connection and the row
    bool isOpen() const { return m_open; }
    bool hasRow() const { return !m_row.isEmpty(); }

    // A column's value (the name in any case): as stored, a number as a double, Null as a null
    // QVariant.
    QVariant value(const QString& column) const;

    // Stores a new row of these columns, its key among them, and holds it.
    void insert(const Values& values);
    // Writes these columns of the row held, checked against their original values (nothing to
    // write: no statement).
    void update(const Values& changes);

private:
    void requireRow() const;                 // NoCurrentRecordNumber when no row is held
    int columnOf(const QString& name) const; // UnknownColumnNumber when there is none
    void refuseNul(const Values& values) const;
    QString matches(const QVector<int>& columns, QVariantList& bindings) const;
    void readBack(const QString& model, const QString& code);

    QSqlDatabase m_db;
    bool m_open = false;
    QStringList m_columns;        // as the database names them
    QVector<bool> m_serverNumber; // per column: a PostgreSQL number, kept as the server's text
    QVector<QVariant> m_row;      // empty when no row is held
};

// The record, or ObjectNotSet when Destroy has released it.
IndexRecord& existing(const std::unique_ptr<IndexRecord>& record);

} // namespace K7X_DoruVevuzu::record
