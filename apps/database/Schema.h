// Schema: creates the tables of the analysis models and loads the sample model.
//
// The SQL scripts (schema/sqlite.sql, schema/postgresql.sql, schema/sample.sql) are compiled
// into the library as resources; the dialect follows the connection's engine (SQLite or
// PostgreSQL, anything else is refused). A script is split into statements at every ";" that
// ends a line and runs inside one transaction on the given, already open, connection: either
// every statement takes effect or none does. Failures (closed connection, unsupported engine,
// a statement refused) are thrown as K7X_DoruVevuzu::RuntimeError carrying the driver's text.
// The demo host's, used by the tests too (not part of the component's library); runs on the
// caller's thread like any Qt SQL call.
#pragma once

#include <QSqlDatabase>

namespace demo {

// Creates KX06_MODELLI, KX09_INDICE and KX20_RELAZIONI in an empty database.
void createSchema(const QSqlDatabase& db);
// Adds the sample model "BILANCIO" with its indices and report documents.
void loadSampleModel(const QSqlDatabase& db);

} // namespace demo
