// The statements of the index record and of the model's report documents. This is the one
// place that builds them: each is the statement the component is known by, with every value bound
// to a "?" in order, never spliced into the text, so no code typed by a user can reach the server
// as SQL and nothing depends on a session setting. Every function may throw RuntimeError: from the
// host service (missing) or from the database. GUI thread only.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <optional>

namespace K7XBO_Global {
class CGlobal;
}

namespace K7X_DoruVevuzu::record {

struct Statement {
    QString sql;
    QVariantList values;
};

// The connection of the host service (CGlobal.Database, then CDatabase.Connection).
QSqlDatabase hostConnection(K7XBO_Global::CGlobal& global);

// One index, selected by its model and its code.
Statement selectIndex(const QString& modelCode, const QString& indexCode);
// The codes of a model's indices (the duplicate test compares them by the codes' case rule).
Statement selectCodes(const QString& modelCode);
// The codes of a model's indices that may be `code` by the codes' case rule, found by the
// database through the reference schema's index KX09_CODICE_CASO: a superset of the codes the
// rule matches, which the caller confirms. Nothing when this database cannot fold the code
// (SQLite: a letter beyond ASCII other than the long s and the Kelvin sign).
std::optional<Statement> selectCodesFoldingTo(const QSqlDatabase& db, const QString& modelCode,
                                              const QString& code);
// The model's report documents, each name once, in name order.
Statement selectDocuments(const QString& modelCode);
// Every report document any model lists, each name once.
Statement selectAllDocuments();

} // namespace K7X_DoruVevuzu::record
