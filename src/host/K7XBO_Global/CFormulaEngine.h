#pragma once

#include <K7XBO_Global/CGlobal.h>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

namespace K7XBO_Global {

/// The host's formula engine, one per ctlIndici instance.
///
/// Knows the host service (for the model's indices) and the model code; checks formulas in
/// the \ref md_docs_formula_language "formula language". Does not own the CGlobal. GUI thread
/// (the host's connection), like the rest of the service.
class CFormulaEngine : public QObject {
    Q_OBJECT
public:
    /// An engine with no host service: it checks the language only.
    explicit CFormulaEngine(QObject* parent = nullptr);
    ~CFormulaEngine() override;

    /// The host service the model's indices are read through (not owned).
    virtual void GlobalService(CGlobal* service);
    /// The model whose indices a formula may name.
    virtual void ModelCode(const QString& code);
    /// Answers "" for a sound formula, else one Italian message to show the user: the first
    /// syntax error with its 1-based position, an unknown function, a wrong number of
    /// arguments, or an Indice naming a code that has no row of the model (codes compared by
    /// CTextUtil's case rule, read with one query per check, and only when the formula refers
    /// to an index). Without a host service only the language is checked.
    /// \throws K7X_DoruVevuzu::RuntimeError as modelIndices().
    virtual QString CheckFormula(QString& formula);

    /// An index of a model, as the editor lists it.
    struct IndexEntry {
        QString code;        ///< KX09_CODICEINDICE
        QString description; ///< KX09_DESCRIZIONE
    };
    /// The indices of a model, in code order; none without a host service.
    /// \throws K7X_DoruVevuzu::RuntimeError when the query fails: the driver's numeric code
    ///         (else `ObjectError`), "CFormulaEngine", "Impossibile leggere gli indici del
    ///         modello CODE: " and the driver's text.
    QList<IndexEntry> modelIndices(const QString& modelCode) const;

private:
    QPointer<CGlobal> m_global;
    QString m_modelCode;
};

} // namespace K7XBO_Global
