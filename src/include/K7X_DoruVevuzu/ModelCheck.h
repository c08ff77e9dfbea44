/// \file
/// Checking a model: a service of the ctlIndici library beside the rename service, for an
/// administrator after a migration, a restore or a night of renames. It answers "is this model
/// whole?" and changes nothing.
///
/// It reads through the host's CGlobal, as the rename service does: KX09_INDICE, the model's report
/// documents (KX20_RELAZIONI, and every model's list for the documents no row lists) and the
/// documents folder. Formulas are checked by the host's formula engine for the language (its own
/// message, with the position it gives); every reference, in a formula or a document field, by
/// the reference rule of ctlIndici::ReplaceIndice, codes compared by their case rule, so a code
/// the model lacks is reported once per place, as a rename would meet it. Document fields are
/// found by the scan of ctlIndici::UpdateDocFormulas, and a field is not rewritable when the
/// update would refuse to rename one of its codes to the longest code there may be (a field across
/// a paragraph end, a reference across a field or revision boundary, a story over its limit).
/// A lock file beside a listed document tells its holder and, for an update's on this machine,
/// whether its process still runs; a rename's record whose database commit happened is a rename
/// left unfinished.
///
/// Failures are K7X_DoruVevuzu::RuntimeError: a model the database lacks ("Il modello 'X' non
/// esiste nel database.", so a mistyped code is never called whole), a missing service or
/// connection, a database error, the documents folder not set while the model lists documents, no
/// thread for the documents.
/// What is wrong with a formula or a document is a finding, not a failure. GUI thread (the thread
/// of the host's connection); documents are read on both cores while the call waits.
#pragma once

#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QList>
#include <QString>

namespace K7XBO_Global {
class CGlobal;
}

namespace K7X_DoruVevuzu {

/// One thing found wrong with a model (or worth knowing, for an unlisted document).
struct ModelFinding {
    /// What was found.
    enum class Kind {
        FormulaError,       ///< a formula the formula engine refuses
        UnknownIndex,       ///< a reference, in a formula or a document field, to a code the
                            ///< model lacks
        FieldNotRewritable, ///< a document field the update could not rewrite
        DocumentProblem,    ///< a listed document missing, unreadable, damaged, of another
                            ///< format, without write permission or held by an owner file
        UnlistedDocument,   ///< a .docx/.odt in the documents folder that no row lists
                            ///< (information)
        LockFile,           ///< a lock file left beside a document
        UnfinishedRename    ///< a rename that stopped after its database commit
    };
    /// What was found.
    Kind kind;
    /// "" for a formula or a rename; else the document's name as the model lists it (an unlisted
    /// document: its path below the documents folder).
    QString document;
    /// A formula: "<index code>.<column>", e.g. "ROE.KX09_FORMULAALLORA"; a document field: its
    /// story, as IndexReference::place names it; "" where none applies.
    QString place;
    /// The formula, the field's text, or the file's name (the document, its lock file, the
    /// rename's record).
    QString text;
    /// What is wrong, in Italian.
    QString message;
};

/// Everything found wrong with the model, formulas first (by index code, then column), then the
/// renames left unfinished (by their records' names), then documents by name: for each, its lock
/// file and what opening it found, then its fields by story and position, then a part found
/// damaged. Reads only: nothing is written, no lock taken; an empty list means the model is whole.
QList<ModelFinding> checkModel(K7XBO_Global::CGlobal& service, const QString& model);

} // namespace K7X_DoruVevuzu
