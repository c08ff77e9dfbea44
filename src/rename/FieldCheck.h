// The findings of one report document's fields and of its lock file: references to codes the
// model lacks, and fields a rename of one of their codes could not rewrite, judged by the same
// scan and the same refusals as the document update (formulas/DocumentFields.h,
// Document::check). Messages name the document's codes quoted as the formula language quotes
// them. Never throws for a damaged document: that is a finding too.
#pragma once

#include "documents/Place.h"
#include "formulas/DocumentFields.h"

#include <K7X_DoruVevuzu/ModelCheck.h>

#include <QSet>

namespace K7X_DoruVevuzu::rename {

// The codes of a model, each as CTextUtil::CodeKey gives it.
using CodeKeys = QSet<QString>;

// "L'indice "X" non esiste nel modello M.", for a reference to `code`.
QString unknownIndexMessage(const QString& code, const QString& model);

// The findings of the fields of the document listed as `name` at `place`, in story then
// position order; a document that cannot be read gives a DocumentProblem after them. Any thread.
QList<ModelFinding> fieldFindings(const QString& name, const documents::Place& place,
                                  const formulas::FieldMarkers& markers, const CodeKeys& codes,
                                  const QString& model);

// The lock file beside the document listed as `name` at `place`, if there is one.
std::optional<ModelFinding> lockFinding(const QString& name, const documents::Place& place);

} // namespace K7X_DoruVevuzu::rename
