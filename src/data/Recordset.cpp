#include "data/RecordsetImpl.h"

#include "data/Connection.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>

namespace K7X_DoruVevuzu::data {

[[noreturn]] void raise(qint32 number, const QString& description) {
    throw RuntimeError(number, QStringLiteral("Recordset"), description);
}

[[noreturn]] void raiseDatabaseError(const QSqlError& error) {
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    const QString text =
        (error.databaseText().isEmpty() ? error.driverText() : error.databaseText()).trimmed();
    raise(numeric ? code : Recordset::DatabaseErrorNumber,
          QStringLiteral("Errore del database: ") + text);
}

QVariant storable(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QString::fromLatin1(QByteArrayView("", 0)); // empty, but not a Null
    return value;
}

int Recordset::Impl::column(const QString& name) const {
    const auto found = columnIndex.constFind(name.toCaseFolded());
    if (found == columnIndex.cend())
        raise(UnknownColumnNumber,
              QStringLiteral("La colonna '%1' non esiste nel record set.").arg(name));
    return *found;
}

QSqlQuery Recordset::Impl::newQuery() const {
    QSqlQuery query(db);
    if (db.driver()->dbmsType() == QSqlDriver::PostgreSQL)
        query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    return query;
}

// Runs a statement with its values bound in order. PostgreSQL keeps no NUL in a text, and
// Qt's driver would cut the statement short there: such a value is refused.
bool Recordset::Impl::run(QSqlQuery& query, const QString& sql,
                          const QVariantList& bindings) const {
    for (const QVariant& value : bindings)
        refuseNul(value, QStringLiteral("Il testo"));
    if (!query.prepare(sql))
        return false;
    for (const QVariant& value : bindings)
        query.addBindValue(value);
    return query.exec();
}

void Recordset::Impl::refuseNul(const QVariant& value, const QString& what) const {
    if (value.typeId() == QMetaType::QString && value.toString().contains(QChar(0)) &&
        db.driver()->dbmsType() == QSqlDriver::PostgreSQL)
        raise(DatabaseErrorNumber,
              what + QStringLiteral(" contiene un carattere nullo, che il database non può "
                                    "memorizzare."));
}

const QVariant* Recordset::Impl::pendingValue(int column) const {
    for (const auto& [col, value] : pending)
        if (col == column)
            return &value;
    return nullptr;
}

void Recordset::Impl::requireOpen() const {
    if (state != adStateOpen)
        raise(ClosedNumber, QStringLiteral("Operazione non consentita: il record set è chiuso."));
}

void Recordset::Impl::requireCurrentRow() const {
    if (current >= rowCount)
        raise(NoCurrentRecordNumber, QStringLiteral("Nessun record corrente."));
}

void Recordset::Impl::requireConnection() const {
    if (connectionLost(db))
        raise(NoConnectionNumber,
              QStringLiteral("La connessione al database si è interrotta (server fermato o "
                             "riavviato, o rete non raggiungibile). Riprovare quando il database "
                             "è di nuovo raggiungibile."));
}

void Recordset::Impl::failed(const QSqlError& error) const {
    requireConnection();
    raiseDatabaseError(error);
}

void Recordset::Impl::requireWritable() const {
    if (lockType == 1)
        raise(NotUpdatableNumber,
              QStringLiteral("Il record set è di sola lettura: modifica non consentita."));
}

Recordset::Recordset() : d(std::make_unique<Impl>()) {}
Recordset::~Recordset() = default;

void Recordset::setActiveConnection(const QSqlDatabase& db) {
    if (d->state == adStateOpen)
        raise(AlreadyOpenNumber,
              QStringLiteral("Operazione non consentita: il record set è già aperto."));
    if (db.connectionName() != d->db.connectionName())
        d->primaryKeys.clear();
    d->db = db;
}

QSqlDatabase Recordset::ActiveConnection() const {
    return d->db;
}

void Recordset::setCursorLocation(int location) {
    d->cursorLocation = location;
}
void Recordset::setCursorType(int type) {
    d->cursorType = type;
}
void Recordset::setLockType(int type) {
    d->lockType = type;
}
int Recordset::CursorLocation() const {
    return d->cursorLocation;
}
int Recordset::CursorType() const {
    return d->cursorType;
}
int Recordset::LockType() const {
    return d->lockType;
}

void Recordset::Open(const QString& source, const QVariantList& values) {
    if (d->state == adStateOpen)
        raise(AlreadyOpenNumber,
              QStringLiteral("Operazione non consentita: il record set è già aperto."));
    if (!d->db.isOpen())
        raise(NoConnectionNumber,
              QStringLiteral("Connessione al database non disponibile o chiusa."));
    QSqlQuery query = d->newQuery();
    query.setForwardOnly(true);
    if (!d->run(query, source, values))
        d->failed(query.lastError());

    const QSqlRecord record = query.record();
    const int width = record.count();
    QStringList columns;
    columns.reserve(width);
    d->serverNumber.fill(false, width);
    for (int i = 0; i < width; ++i) {
        columns.append(record.fieldName(i));
        d->serverNumber[i] = d->db.driver()->dbmsType() == QSqlDriver::PostgreSQL &&
                             record.field(i).metaType().id() == QMetaType::Double;
    }
    QVector<QVariant> rowValues;
    if (query.size() > 0)
        rowValues.reserve(query.size() * width);
    int rows = 0;
    for (; query.next(); ++rows)
        for (int i = 0; i < width; ++i)
            rowValues.append(storable(query.value(i)));
    if (query.lastError().isValid())
        d->failed(query.lastError());

    if (columns != d->columns) {
        d->columnIndex.clear();
        for (int i = 0; i < width; ++i)
            d->columnIndex.insert(columns[i].toCaseFolded(), i);
        d->columns = std::move(columns);
    }
    d->values = std::move(rowValues);
    d->rowCount = rows;
    d->current = 0;
    d->source = source;
    d->baseTable.clear();
    d->clearBuffer();
    d->state = adStateOpen;
}

int Recordset::State() const {
    return d->state;
}

void Recordset::Close() {
    d->state = adStateClosed;
    d->values.clear();
    d->rowCount = 0;
    d->current = 0;
    d->clearBuffer();
}

bool Recordset::Eof() const {
    d->requireOpen();
    return d->current >= d->rowCount;
}

void Recordset::MoveNext() {
    d->requireOpen();
    Update();
    d->requireCurrentRow();
    ++d->current;
}

void Recordset::MoveFirst() {
    d->requireOpen();
    Update();
    d->current = 0;
}

int Recordset::RecordCount() const {
    d->requireOpen();
    return d->rowCount;
}

QVariant Recordset::Field(const QString& name) const {
    d->requireOpen();
    const int column = d->column(name);
    if (const QVariant* value = d->pendingValue(column))
        return *value;
    if (d->adding)
        return {};
    d->requireCurrentRow();
    const QVariant& value = d->stored(d->current, column);
    return d->serverNumber[column] && value.typeId() == QMetaType::QString
               ? QVariant(value.toString().toDouble())
               : value;
}

void Recordset::setField(const QString& name, const QVariant& value) {
    d->requireOpen();
    d->requireWritable();
    const int column = d->column(name);
    d->refuseNul(value, QStringLiteral("Il testo di ") + name);
    if (!d->adding)
        d->requireCurrentRow();
    for (auto& [col, pendingValue] : d->pending)
        if (col == column) {
            pendingValue = storable(value);
            return;
        }
    d->pending.append({column, storable(value)});
}

void Recordset::AddNew() {
    d->requireOpen();
    d->requireWritable();
    Update();
    d->adding = true;
}

void Recordset::Update() {
    d->requireOpen();
    if (!editing())
        return;
    d->requireWritable();
    if (d->adding)
        d->insertPending();
    else
        d->updatePending();
    d->clearBuffer();
}

void Recordset::CancelUpdate() {
    d->requireOpen();
    d->clearBuffer();
}

bool Recordset::editing() const {
    return d->adding || !d->pending.isEmpty();
}

} // namespace K7X_DoruVevuzu::data
