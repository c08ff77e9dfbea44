// Checking a model (the contract is in K7X_DoruVevuzu/ModelCheck.h): its formulas here, its
// documents in rename/DocumentCheck.h, the renames left unfinished from formulas/PendingRenames.h.
#include <K7X_DoruVevuzu/ModelCheck.h>

#include "errors/Errors.h"
#include "formulas/PendingRenames.h"
#include "formulas/References.h"
#include "record/Codes.h"
#include "record/Statements.h"
#include "rename/DocumentCheck.h"
#include "rename/Places.h"

#include <K7XBO_Global/CFormulaEngine.h>
#include <K7XBO_Global/CTextUtil.h>

namespace K7X_DoruVevuzu {

namespace {

using Kind = ModelFinding::Kind;

// The findings of one formula: the engine's refusal, then each code the model lacks once. The
// engine checks the language only: the codes are judged by the reference rule, as a rename
// judges them, and each is reported once.
void checkFormula(K7XBO_Global::CFormulaEngine& engine, const QString& place, QString formula,
                  const rename::CodeKeys& codes, const QString& model, QList<ModelFinding>& found) {
    if (formula.trimmed().isEmpty())
        return;
    const QString text = formula;
    if (const QString refused = engine.CheckFormula(formula); !refused.isEmpty())
        found.append({Kind::FormulaError,
                      {},
                      place,
                      text,
                      QStringLiteral("Formula non valida: ") + refused});
    rename::CodeKeys seen;
    for (const QString& code : formulas::referencedCodes(text)) {
        const QString key = K7XBO_Global::CTextUtil::CodeKey(code);
        if (!codes.contains(key) && !seen.contains(key))
            found.append(
                {Kind::UnknownIndex, {}, place, text, rename::unknownIndexMessage(code, model)});
        seen.insert(key);
    }
}

// A rename of the model stopped after its database commit.
ModelFinding unfinished(const formulas::RecordedRename& rename) {
    return {Kind::UnfinishedRename,
            {},
            {},
            rename.file,
            QStringLiteral("La rinomina dell'indice '%1' in '%2' si è fermata dopo il salvataggio "
                           "nel database: questi documenti possono nominare ancora '%1': %3. La "
                           "prossima rinomina o il prossimo aggiornamento dei documenti la "
                           "completa.")
                .arg(rename.oldCode, rename.newCode, rename.documents.join(QStringLiteral(", ")))};
}

} // namespace

QList<ModelFinding> checkModel(K7XBO_Global::CGlobal& service, const QString& model) {
    const QSqlDatabase db = record::hostConnection(service);
    if (!record::modelExists(db, model)) // a model that is not there is not whole
        fail(RuntimeError::InvalidCall, record::modelMissing(model),
             QStringLiteral("Verifica modello"));
    const data::Rows rows = data::run(db, rename::selectFormulas(), {model});
    const std::vector<rename::IndexFormulas> indices = rename::formulasOf(rows);
    rename::CodeKeys codes;
    for (const rename::IndexFormulas& index : indices)
        codes.insert(K7XBO_Global::CTextUtil::CodeKey(index.code));
    K7XBO_Global::CFormulaEngine engine; // no service: the language only
    QList<ModelFinding> found;
    for (const rename::IndexFormulas& index : indices) {
        for (std::size_t column = 0; column < rename::kFormulaColumns.size(); ++column)
            checkFormula(engine, index.code + u'.' + QLatin1String(rename::kFormulaColumns[column]),
                         index.formulas[column].toString(), codes, model, found);
    }
    for (const formulas::RecordedRename& rename : formulas::committedRenames(service)) {
        if (rename.model == model)
            found.append(unfinished(rename));
    }
    found.append(rename::documentFindings(service, model, codes));
    return found;
}

} // namespace K7X_DoruVevuzu
