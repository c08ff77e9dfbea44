// CFormulaEngine: the host's formula engine, one per ctlIndici instance.
//
// Knows the host service (for the model's indices) and the model code. CheckFormula answers
// "" for a sound formula, else one Italian message to show the user: the first syntax error
// with its 1-based position, an unknown function, a wrong number of arguments, or an Indice
// naming a code that has no row of the model (codes compared by CTextUtil's case rule, read
// with one query per check, and only when the formula refers to an index). Without a host service
// only the language is checked. Database failures are thrown as K7X_DoruVevuzu::RuntimeError.
// Does not own the CGlobal. GUI thread (the host's connection), like the rest of the service.
#pragma once

#include <K7XBO_Global/CGlobal.h>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

namespace K7XBO_Global {

class CFormulaEngine : public QObject {
    Q_OBJECT
public:
    explicit CFormulaEngine(QObject* parent = nullptr);
    ~CFormulaEngine() override;

    virtual void GlobalService(CGlobal* service);
    virtual void ModelCode(const QString& code);
    virtual QString CheckFormula(QString& formula);

    struct IndexEntry {
        QString code;
        QString description;
    };
    // The indices of a model, in code order; none without a host service.
    QList<IndexEntry> modelIndices(const QString& modelCode) const;

private:
    QPointer<CGlobal> m_global;
    QString m_modelCode;
};

} // namespace K7XBO_Global
