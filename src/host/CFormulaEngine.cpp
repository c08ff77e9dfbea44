#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CFormulaEngine.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CTextUtil.h>
#include <K7X_DoruVevuzu/RuntimeError.h>

#include "FormulaSyntax.h"
#include "data/Runner.h"

#include <QSet>

namespace K7XBO_Global {

CFormulaEngine::CFormulaEngine(QObject* parent) : QObject(parent) {}
CFormulaEngine::~CFormulaEngine() = default;

void CFormulaEngine::GlobalService(CGlobal* service) {
    m_global = service;
}
void CFormulaEngine::ModelCode(const QString& code) {
    m_modelCode = code;
}

QString CFormulaEngine::CheckFormula(QString& formula) {
    const formula::ParseResult parsed = formula::parseFormula(formula);
    if (!parsed.root)
        return parsed.error;
    if (parsed.indices.empty() || !m_global)
        return {};
    QSet<QString> known;
    for (const IndexEntry& entry : modelIndices(m_modelCode))
        known.insert(CTextUtil::CodeKey(entry.code));
    for (const formula::Reference& reference : parsed.indices) {
        if (!known.contains(CTextUtil::CodeKey(reference.code)))
            return QStringLiteral("L'indice %1 alla posizione %2 non esiste nel modello %3.")
                .arg(CTextUtil::instance().FormulaQuote(reference.code))
                .arg(reference.position + 1)
                .arg(m_modelCode);
    }
    return {};
}

QList<CFormulaEngine::IndexEntry> CFormulaEngine::modelIndices(const QString& modelCode) const {
    if (!m_global)
        return {};
    K7X_DoruVevuzu::data::Rows rows;
    try {
        rows = K7X_DoruVevuzu::data::run(
            m_global->Database()->Connection(),
            QStringLiteral("SELECT KX09_CODICEINDICE, KX09_DESCRIZIONE FROM KX09_INDICE "
                           "WHERE KX09_CODICEMODELLO_KX06=? ORDER BY KX09_CODICEINDICE"),
            {modelCode});
    } catch (const K7X_DoruVevuzu::RuntimeError& failure) {
        const bool coded = failure.number() != K7X_DoruVevuzu::data::kDatabaseErrorNumber;
        throw K7X_DoruVevuzu::RuntimeError(
            coded ? failure.number() : K7X_DoruVevuzu::RuntimeError::ObjectError,
            QStringLiteral("CFormulaEngine"),
            QStringLiteral("Impossibile leggere gli indici del modello %1: %2")
                .arg(modelCode, failure.description()));
    }
    QList<IndexEntry> entries;
    for (int row = 0; row < rows.count; ++row)
        entries.append({rows.at(row, 0).toString(), rows.at(row, 1).toString()});
    return entries;
}

} // namespace K7XBO_Global
