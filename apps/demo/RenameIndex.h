// renameIndex: the demo host's "rename an index" command, made possible by the component.
//
// In one database transaction it changes the code of the index row, rewrites every formula of
// the model's indices with ctlIndici::ReplaceIndice, and then carries the change into the
// report documents with ctlIndici::UpdateDocFormulas. When the documents cannot be updated,
// goOn is asked (as the closing protocol asks); a "no" rolls the transaction back, so nothing is
// left half-renamed in the database. A code that is empty, too long or already used is refused
// with a RuntimeError before anything is written; a database failure rolls back and is thrown.
// The editor must show the same model (UpdateDocFormulas works on the editor's model).
#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace K7X_DoruVevuzu {
class ctlIndici;
}

namespace demo {

struct RenameRequest {
    QString model;
    QString oldCode;
    QString newCode;
};

// Returns true when the rename was committed, false when goOn declined it.
bool renameIndex(const QSqlDatabase& db, K7X_DoruVevuzu::ctlIndici& editor,
                 const RenameRequest& request,
                 const std::function<bool(const QString& failure)>& goOn);

} // namespace demo
