/// \file
/// Checking a model: a service of the ctlIndici library beside the rename service, for an
/// administrator after a migration, a restore or a night of renames. It answers "is this model
/// whole?" and changes nothing.
///
/// It reads through the host's CGlobal, as the rename service does: KX09_INDICE, the model's report
/// documents (KX20_RELAZIONI) and the documents folder. Formulas are checked by the host's formula
/// engine and their references by the reference rule of ctlIndici::ReplaceIndice; document fields
/// are found by the scan of ctlIndici::UpdateDocFormulas; codes are compared by their case rule.
///
/// Failures are K7X_DoruVevuzu::RuntimeError: a missing service or connection, a database error.
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
        DocumentProblem,    ///< a listed document missing, unreadable, damaged or of another
                            ///< format
        UnlistedDocument,   ///< a .docx/.odt in the documents folder that no row lists
                            ///< (information)
        LockFile,           ///< a lock file left beside a document
        UnfinishedRename    ///< a rename that stopped after its database commit
    };
    /// What was found.
    Kind kind;
    /// "" for a formula; else the document's name as the model lists it.
    QString document;
    /// As IndexReference::place ("" where none applies).
    QString place;
    /// The formula, the field's text, or the file's name.
    QString text;
    /// What is wrong, in Italian.
    QString message;
};

/// Everything found wrong with the model, formulas first (by index code, then column), then
/// documents (by name, then position). Reads only; an empty list means the model is whole.
QList<ModelFinding> checkModel(K7XBO_Global::CGlobal& service, const QString& model);

} // namespace K7X_DoruVevuzu
