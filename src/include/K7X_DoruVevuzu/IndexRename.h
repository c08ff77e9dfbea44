/// \file
/// Where an index is used, and renaming it: a service of the ctlIndici library for any host,
/// with or without the component on a window.
///
/// It reads and writes through the host's CGlobal: its database connection (KX09_INDICE, and
/// KX20_RELAZIONI for the model's report documents), its documents folder and its field markers.
/// Formulas are matched by the reference rule of ctlIndici::ReplaceIndice, and document fields
/// are found by the scan of ctlIndici::UpdateDocFormulas (every story, text split across runs,
/// .docx and .odt), so what indexUsage and renamePreview list is exactly what renameIndex
/// changes: a place's `after` is what the rename writes there, character for character.
///
/// Order of the places: formulas first, by index code then column (condition, then, otherwise),
/// then document fields, by the document's name as the model lists it, then story, then position.
/// A document field's place is its story as the README names stories: "body", "footnotes",
/// "endnotes", "comments", "header N", "footer N" (master pages in .odt), "text box N".
///
/// Failures are K7X_DoruVevuzu::RuntimeError (number, source "Rinomina indice" or the layer's own,
/// Italian description): a missing service or connection, a database error, a listed document
/// that is damaged or cannot be read. GUI thread (the thread of the host's connection); documents
/// are read on both cores while the call waits.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QList>
#include <QString>

namespace K7XBO_Global {
class CGlobal;
}

namespace K7X_DoruVevuzu {

/// One place that refers to an index code.
struct IndexReference {
    /// "" for a formula stored in KX09_INDICE; else the report document's name.
    QString document;
    /// A formula: "<index code>.<column>", e.g. "ROE.KX09_FORMULAALLORA"; a document field: the
    /// story it stands in.
    QString place;
    /// The formula, or the field's text, as it stands.
    QString before;
    /// As the rename would leave it (equal to `before` in indexUsage).
    QString after;
};

/// Every formula of the model (the three formula columns of KX09_INDICE) and every formula field
/// of the model's report documents that refers to `code`. Reads only.
QList<IndexReference> indexUsage(K7XBO_Global::CGlobal& service, const QString& model,
                                 const QString& code);

/// What renaming `oldCode` to `newCode` would change, place by place, in the same order. A place
/// whose text the rename would leave as it is (a reference already written as the new one) is
/// not listed. `newCode` is trimmed, and refused when empty, too long or used, as renameIndex
/// trims and refuses it; a field the rename would change but whose text crosses a paragraph end is
/// refused as renameIndex refuses it, naming the document and the field. Reads only.
QList<IndexReference> renamePreview(K7XBO_Global::CGlobal& service, const QString& model,
                                    const QString& oldCode, const QString& newCode);

/// Renames the index: its row's code, every formula of the model and every report document, all
/// or nothing. `newCode` is trimmed of spaces as the form trims it; an empty one ("Inserire il
/// codice."), one longer than 10 characters, one the model already holds ("Codice esistente.",
/// codes compared by their case rule) and an `oldCode` the model lacks are refused before
/// anything is written.
///
/// One command, in this order: every document is held with its lock file (another update's lock
/// waited for up to 30 seconds), read and planned, and every new file written and checked beside
/// it, while the database is not locked; then one short database transaction holds the model
/// against other renames (on SQLite the database's write lock, on PostgreSQL the model's row in
/// KX06_MODELLI FOR NO KEY UPDATE, which leaves other users free to add indices and documents to
/// the model; waited for up to 30 seconds), checks the codes again, changes the row's code and
/// every formula and commits; only then are the new files put in place. Any failure up to the
/// commit (a held, read-only or damaged document, a field that cannot be rewritten, a full disk, a
/// database error) throws with the database as it was and no document rewritten.
/// What remains after the commit is renaming the new files over the old ones, one by one. A
/// record of the rename, written beside the documents and flushed before the commit, stays until
/// the last one is renamed: a document that cannot be then is rewritten on its own, the others
/// go on, and the RuntimeError names those still to finish. A rename left half done (the machine
/// stopped after the commit) is finished by the next renameIndex or ctlIndici::UpdateDocFormulas
/// on the same documents folder before anything else.
void renameIndex(K7XBO_Global::CGlobal& service, const QString& model, const QString& oldCode,
                 const QString& newCode);

} // namespace K7X_DoruVevuzu
