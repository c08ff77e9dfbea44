// The statements of the index record and the record sets they open on the host's connection.
//
// Literals come from the host's text service (SqlQuote(SqlEscape(v))); the statements add no
// quote marks and no parameters of their own. Every function may throw RuntimeError: from the
// host service (missing, or a text it cannot quote) or from the database. GUI thread only.
#pragma once

#include <QSqlDatabase>
#include <QString>

#include <memory>

namespace K7XBO_Global {
class CGlobal;
}
namespace K7X_DoruVevuzu::data {
class Recordset;
}

namespace K7X_DoruVevuzu::record {

// The connection of the host service (CGlobal.Database, then CDatabase.Connection).
QSqlDatabase hostConnection(K7XBO_Global::CGlobal& global);

// v as an SQL string literal, made by the host's text service.
QString sqlLiteral(const QString& value);

// One index, selected by its model and its code (model literal built first).
QString selectIndex(const QString& modelCode, const QString& indexCode);
// Every index of a model.
QString selectModel(const QString& modelCode);
// The duplicate probe of a code within a model (code literal built first).
QString selectDuplicate(const QString& indexCode, const QString& modelCode);

// Opens the component's record set for editing: client-side static cursor (3, 3) with lock
// type 2, every other open argument left unspecified.
void openForEditing(data::Recordset& records, const QSqlDatabase& connection,
                    const QString& statement);
// Opens a record set for a look-up: client-side static cursor (3, 3), lock type left unset.
void openForReading(data::Recordset& records, const QSqlDatabase& connection,
                    const QString& statement);

// The record set, or ObjectNotSet when Destroy has released it.
data::Recordset& existing(const std::unique_ptr<data::Recordset>& records);

} // namespace K7X_DoruVevuzu::record
