// The places of a model that refer to an index code, shared by the usage, the rename preview and
// the rename: the formulas stored in KX09_INDICE and the fields of the model's report documents,
// each with what the rename leaves there (formulas/References.h and formulas/DocumentFields.h are
// the rules). Failures are RuntimeError.
#pragma once

#include "documents/Place.h"

#include <K7X_DoruVevuzu/IndexRename.h>

#include "data/Runner.h"

#include <QVariant>

#include <array>
#include <optional>
#include <vector>

namespace K7X_DoruVevuzu::rename {

// The source of the rename's own refusals.
inline const QString kRenameSource = QStringLiteral("Rinomina indice");

inline constexpr std::array<const char*, 3> kFormulaColumns{
    "KX09_FORMULACONDIZIONE", "KX09_FORMULAALLORA", "KX09_FORMULAALTRIMENTI"};

// One index's formulas as stored (a Null stays Null).
struct IndexFormulas {
    QString code;
    std::array<QVariant, kFormulaColumns.size()> formulas;
};

// The statement that reads every index's formulas of a model (its one value: the model).
QString selectFormulas();
// The rows of that statement, by index code.
std::vector<IndexFormulas> formulasOf(const data::Rows& rows);

// What choosing the places is for: the usage lists every reference as it stands; the preview and
// the rename only what the rename changes.
enum class Listing { Usage, Changes };

// What a formula that refers to `oldCode` becomes, when the listing lists it; nullopt otherwise.
std::optional<QString> listedFormula(const QString& before, const QString& oldCode,
                                     const QString& newCode, Listing listing);
// The formula places of `indices` that refer to `oldCode`.
QList<IndexReference> formulaPlaces(const std::vector<IndexFormulas>& indices,
                                    const QString& oldCode, const QString& newCode,
                                    Listing listing);
// A report document of the model whose file is there: its name as listed, and its file.
struct ReportDocument {
    QString name;
    documents::Place path;
};
std::vector<ReportDocument> reportDocuments(K7XBO_Global::CGlobal& service, const QString& model);

// The field places of every report document of the model, documents read on both cores; the
// first failure, in the documents' order, is thrown.
QList<IndexReference> documentPlaces(K7XBO_Global::CGlobal& service, const QString& model,
                                     const QString& oldCode, const QString& newCode,
                                     Listing listing);

} // namespace K7X_DoruVevuzu::rename
