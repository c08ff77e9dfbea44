// CFormulaEditor: the host's formula editor, created for one click of a formula button.
//
// ShowEditor runs a modal QDialog (objectName "FormulaEditor", property "formula") with
// exec(). Accepting it makes Formula() give the edited text; rejecting it makes Formula()
// give "" (the user gave up). The dialog lists the indices of the model given to ShowEditor
// (read through the engine's host service: none without one) and checks the formula with the
// engine as the user types; the second argument of ShowEditor is not used. A failure to read
// the indices is thrown as K7X_DoruVevuzu::RuntimeError before the dialog opens. Does not own
// the engine it is handed; without one, only the language is checked. GUI thread.
#pragma once

#include <K7XBO_Global/CFormulaEngine.h>

#include <QObject>
#include <QPointer>
#include <QString>

namespace K7XBO_Global {

class CFormulaEditor : public QObject {
    Q_OBJECT
public:
    explicit CFormulaEditor(QObject* parent = nullptr);
    ~CFormulaEditor() override;

    virtual void Engine(CFormulaEngine* engine);
    virtual void setFormula(const QString& formula);
    virtual QString Formula() const;
    virtual void ShowEditor(QString& modelCode, QString& second);

private:
    QPointer<CFormulaEngine> m_engine;
    QString m_formula;
};

} // namespace K7XBO_Global
