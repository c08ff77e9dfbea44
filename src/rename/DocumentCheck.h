// The findings of a model's documents: each listed document (missing, unreadable, damaged or of
// another format; its lock file; its fields, read on both cores) and the .docx and .odt files of
// the documents folder that no model lists. Failures (the service, the database, the documents
// folder not set while the model lists documents, no threads) are RuntimeError.
#pragma once

#include "rename/FieldCheck.h"

#include <K7XBO_Global/CGlobal.h>

namespace K7X_DoruVevuzu::rename {

// The findings of the documents, by document name, then position.
QList<ModelFinding> documentFindings(K7XBO_Global::CGlobal& service, const QString& model,
                                     const CodeKeys& codes);

} // namespace K7X_DoruVevuzu::rename
