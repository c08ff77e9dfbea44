#include "record/IndexRecord.h"

#include "errors/Errors.h"
#include "record/Statements.h"

#include <QSqlDriver>

namespace K7X_DoruVevuzu::record {

void IndexRecord::open(const QSqlDatabase& db) {
    close();
    m_db = db;
    m_open = true;
}

void IndexRecord::load(const QSqlDatabase& db, const QString& model, const QString& code) {
    close();
    const Statement statement = selectIndex(model, code);
    data::Rows rows = data::run(db, statement.sql, statement.values);
    open(db);
    m_columns = std::move(rows.columns);
    m_serverNumber = std::move(rows.serverNumbers);
    if (!rows.isEmpty())
        m_row = rows.values.mid(0, m_columns.size());
}

void IndexRecord::close() {
    m_db = {};
    m_open = false;
    m_columns.clear();
    m_serverNumber.clear();
    m_row.clear();
}

int IndexRecord::columnOf(const QString& name) const {
    for (int column = 0; column < m_columns.size(); ++column)
        if (m_columns[column].compare(name, Qt::CaseInsensitive) == 0)
            return column;
    data::raise(UnknownColumnNumber,
                QStringLiteral("La colonna '%1' non esiste nel record set.").arg(name));
}

void IndexRecord::requireRow() const {
    if (!hasRow())
        data::raise(NoCurrentRecordNumber, QStringLiteral("Nessun record corrente."));
}

QVariant IndexRecord::value(const QString& column) const {
    requireRow();
    const int at = columnOf(column);
    const QVariant& value = m_row[at];
    return m_serverNumber[at] && value.typeId() == QMetaType::QString
               ? QVariant(value.toString().toDouble())
               : value;
}

void IndexRecord::refuseNul(const Values& values) const {
    if (m_db.driver()->dbmsType() != QSqlDriver::PostgreSQL)
        return;
    for (const auto& [column, value] : values)
        if (value.typeId() == QMetaType::QString && value.toString().contains(QChar(0)))
            data::raise(data::kDatabaseErrorNumber,
                        QStringLiteral("Il testo di %1 contiene un carattere nullo, che il "
                                       "database non può memorizzare.")
                            .arg(column));
}

// "a = ? AND b IS NULL": each column equal to its original value, the values not Null bound. A
// PostgreSQL number is compared as the server writes it in this session, and so is the value
// read: a session that rounds doubles to 15 digits rounds both alike.
QString IndexRecord::matches(const QVector<int>& columns, QVariantList& bindings) const {
    QStringList parts;
    for (int column : columns) {
        const QVariant& original = m_row[column];
        if (original.isNull()) {
            parts.append(m_columns[column] + QStringLiteral(" IS NULL"));
            continue;
        }
        if (!m_serverNumber[column])
            parts.append(m_columns[column] + QStringLiteral(" = ?"));
        else if (original.typeId() == QMetaType::QString)
            parts.append(QStringLiteral("CAST(%1 AS TEXT) = ?").arg(m_columns[column]));
        else
            parts.append(QStringLiteral("CAST(%1 AS TEXT) = CAST(CAST(? AS DOUBLE PRECISION) AS "
                                        "TEXT)")
                             .arg(m_columns[column]));
        bindings.append(original);
    }
    return parts.join(QStringLiteral(" AND "));
}

void IndexRecord::insert(const Values& values) {
    refuseNul(values);
    QStringList names;
    QVariantList bindings;
    for (const auto& [column, value] : values) {
        names.append(column);
        bindings.append(data::storable(value));
    }
    data::run(m_db,
              QStringLiteral("INSERT INTO KX09_INDICE (%1) VALUES (%2)")
                  .arg(names.join(QStringLiteral(", ")),
                       QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
              bindings);
    m_columns = names;
    m_serverNumber.fill(false, names.size());
    m_row = bindings.toVector();
    readBack(value(kModelColumn).toString(), value(kCodeColumn).toString());
}

void IndexRecord::update(const Values& changes) {
    if (changes.isEmpty())
        return;
    requireRow();
    refuseNul(changes);
    QStringList assignments;
    QVariantList bindings;
    QVector<int> checked{columnOf(kModelColumn), columnOf(kCodeColumn)};
    for (const auto& [name, value] : changes) {
        const int column = columnOf(name);
        assignments.append(m_columns[column] + QStringLiteral(" = ?"));
        bindings.append(data::storable(value));
        if (!checked.contains(column))
            checked.append(column);
    }
    const QString where = matches(checked, bindings);
    const data::Rows updated = data::run(m_db,
                                         QStringLiteral("UPDATE KX09_INDICE SET %1 WHERE %2")
                                             .arg(assignments.join(QStringLiteral(", ")), where),
                                         bindings);
    if (updated.affected == 0)
        data::raise(ConflictNumber,
                    QStringLiteral("Il record è stato modificato o eliminato da un altro utente: "
                                   "ricaricare l'indice prima di salvare."));
    for (const auto& [name, value] : changes)
        m_row[columnOf(name)] = data::storable(value);
    readBack(value(kModelColumn).toString(), value(kCodeColumn).toString());
}

// The stored row replaces the one held; when it cannot be read, the row keeps the values written
// (the write itself has succeeded).
void IndexRecord::readBack(const QString& model, const QString& code) {
    const Statement statement = selectIndex(model, code);
    try {
        data::Rows stored = data::run(m_db, statement.sql, statement.values);
        if (stored.isEmpty())
            return;
        m_columns = std::move(stored.columns);
        m_serverNumber = std::move(stored.serverNumbers);
        m_row = stored.values.mid(0, m_columns.size());
    } catch (const RuntimeError&) {
    }
}

IndexRecord& existing(const std::unique_ptr<IndexRecord>& record) {
    if (!record)
        fail(RuntimeError::ObjectNotSet,
             QStringLiteral("Il record set dell'indice non esiste più (Destroy)."));
    return *record;
}

} // namespace K7X_DoruVevuzu::record
