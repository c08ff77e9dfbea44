// CFormulaEngine: the host's formula engine, one per ctlIndici instance.
//
// Knows the host service (for the model's indices) and the model code. CheckFormula answers
// "" for a sound formula, else one Italian message to show the user. Database failures while
// checking are thrown as K7X_DoruVevuzu::RuntimeError. Does not own the CGlobal.
#pragma once

#include <K7XBO_Global/CGlobal.h>

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

    CGlobal* globalService() const { return m_global; }
    QString modelCode() const { return m_modelCode; }

private:
    QPointer<CGlobal> m_global;
    QString m_modelCode;
};

} // namespace K7XBO_Global
