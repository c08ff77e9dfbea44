#include "data/RecordsetImpl.h"

#include <QSqlDriver>

namespace K7X_DoruVevuzu::data {

int Recordset::Impl::column(const QString& name) const {
    const auto found = columnIndex.constFind(name.toCaseFolded());
    if (found == columnIndex.cend())
        raise(UnknownColumnNumber,
              QStringLiteral("La colonna '%1' non esiste nel record set.").arg(name));
    return *found;
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
    Rows rows = run(d->db, source, values);
    d->serverNumber = rows.serverNumbers;
    if (rows.columns != d->columns) {
        d->columnIndex.clear();
        for (int i = 0; i < rows.columns.size(); ++i)
            d->columnIndex.insert(rows.columns[i].toCaseFolded(), i);
        d->columns = std::move(rows.columns);
    }
    d->values = std::move(rows.values);
    d->rowCount = rows.count;
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
