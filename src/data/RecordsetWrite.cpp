// How a Recordset's edit buffer reaches the database: one INSERT or one UPDATE with bound
// parameters, then a read of the stored row by its primary key.
#include "data/RecordsetImpl.h"

#include "data/Session.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlIndex>

#include <algorithm>

namespace K7X_DoruVevuzu::data {

namespace {

QString baseTableOf(const QString& statement) {
    static const QRegularExpression from(QStringLiteral(R"(\bFROM\s+([^\s,;()]+))"),
                                         QRegularExpression::CaseInsensitiveOption);
    return from.match(statement).captured(1);
}

} // namespace

QString Recordset::Impl::quoted(int column) const {
    return db.driver()->escapeIdentifier(columns[column], QSqlDriver::FieldName);
}

// "a = ? AND b IS NULL": one condition per column; the values that are not Null are bound. A
// PostgreSQL number is compared as the server writes it in this session, and so is the value
// read: a session that rounds doubles to 15 digits rounds both alike.
QString Recordset::Impl::conditions(const QVector<int>& matched, const QVector<QVariant>& row,
                                    QVariantList& bindings) const {
    QStringList parts;
    for (int column : matched) {
        if (row[column].isNull()) {
            parts.append(quoted(column) + QStringLiteral(" IS NULL"));
        } else if (serverNumber[column]) {
            parts.append((row[column].typeId() == QMetaType::QString
                              ? QStringLiteral("CAST(%1 AS TEXT) = ?")
                              : QStringLiteral("CAST(%1 AS TEXT) = "
                                               "CAST(CAST(? AS DOUBLE PRECISION) AS TEXT)"))
                             .arg(quoted(column)));
            bindings.append(row[column]);
        } else {
            parts.append(quoted(column) + QStringLiteral(" = ?"));
            bindings.append(row[column]);
        }
    }
    return parts.join(QStringLiteral(" AND "));
}

QVector<int> Recordset::Impl::keyColumns() {
    if (baseTable.isEmpty())
        baseTable = baseTableOf(source);
    if (baseTable.isEmpty())
        raise(NotUpdatableNumber,
              QStringLiteral("Impossibile aggiornare: l'istruzione non indica una tabella."));
    const QString cacheKey = baseTable.toCaseFolded();
    auto names = primaryKeys.constFind(cacheKey);
    if (names == primaryKeys.cend()) {
        requireSession(db); // Qt's look-up below must not be the first to meet an ended session
        QStringList found;
        // An unquoted name is stored folded to lower case by some servers, upper by others.
        for (const QString& name : {baseTable, baseTable.toLower(), baseTable.toUpper()}) {
            const QSqlIndex index = db.primaryIndex(name);
            for (int i = 0; i < index.count(); ++i)
                found.append(index.fieldName(i));
            if (!found.isEmpty())
                break;
        }
        // Nothing found is not kept: the look-up itself may have failed (Qt does not say so).
        if (found.isEmpty()) {
            raiseIfLost(db); // the look-up itself may have failed
            raise(NotUpdatableNumber,
                  QStringLiteral("Impossibile aggiornare: la tabella '%1' non ha una chiave "
                                 "primaria.")
                      .arg(baseTable));
        }
        names = primaryKeys.insert(cacheKey, found);
    }
    QVector<int> key;
    for (const QString& name : *names) {
        const int column = columnIndex.value(name.toCaseFolded(), -1);
        if (column < 0)
            raise(NotUpdatableNumber,
                  QStringLiteral("Impossibile aggiornare: la colonna chiave '%1' non è tra "
                                 "quelle lette.")
                      .arg(name));
        key.append(column);
    }
    return key;
}

// Replaces the row's values with the stored ones; when the row cannot be read back, the row
// keeps the values written (the write itself has already succeeded).
void Recordset::Impl::readBack(QVector<QVariant>& row, const QVector<int>& key) const {
    QVariantList bindings;
    const QString where = conditions(key, row, bindings);
    Rows stored;
    try {
        stored =
            run(db, QStringLiteral("SELECT * FROM %1 WHERE %2").arg(baseTable, where), bindings);
    } catch (const RuntimeError&) {
        return;
    }
    for (int i = 0; i < stored.columns.size() && stored.count > 0; ++i) {
        const int column = columnIndex.value(stored.columns[i].toCaseFolded(), -1);
        if (column >= 0)
            row[column] = stored.at(0, i);
    }
}

void Recordset::Impl::insertPending() {
    const QVector<int> key = keyColumns();
    QStringList names;
    QStringList marks;
    QVariantList bindings;
    QVector<QVariant> row(columns.size());
    for (const auto& [column, value] : pending) {
        names.append(quoted(column));
        marks.append(QStringLiteral("?"));
        bindings.append(value);
        row[column] = value;
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(baseTable)
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(baseTable, names.join(QStringLiteral(", ")),
                                       marks.join(QStringLiteral(", ")));
    const Rows inserted = run(db, sql, bindings);
    if (key.size() == 1 && !pendingValue(key.first()))
        row[key.first()] = storable(inserted.insertedId); // a key the database assigned
    if (std::none_of(key.cbegin(), key.cend(), [&row](int column) { return row[column].isNull(); }))
        readBack(row, key);
    values.append(row);
    current = rowCount++;
}

void Recordset::Impl::updatePending() {
    const QVector<int> key = keyColumns();
    QStringList assignments;
    QVariantList bindings;
    QVector<int> matched = key;
    for (const auto& [column, value] : pending) {
        assignments.append(quoted(column) + QStringLiteral(" = ?"));
        bindings.append(value);
        if (!matched.contains(column))
            matched.append(column);
    }
    const int width = columns.size();
    QVector<QVariant> row = values.mid(current * width, width);
    const QString where = conditions(matched, row, bindings);
    const Rows updated = run(db,
                             QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                 .arg(baseTable, assignments.join(QStringLiteral(", ")), where),
                             bindings);
    if (updated.affected == 0)
        raise(ConflictNumber,
              QStringLiteral("Il record è stato modificato o eliminato da un altro utente: "
                             "ricaricare l'indice prima di salvare."));

    for (const auto& [column, value] : pending)
        row[column] = value;
    readBack(row, key);
    std::copy(row.cbegin(), row.cend(), values.begin() + current * width);
}

} // namespace K7X_DoruVevuzu::data
