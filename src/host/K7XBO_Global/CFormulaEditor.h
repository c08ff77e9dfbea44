// CFormulaEditor: the host's formula editor, created for one click of a formula button.
//
// ShowEditor runs a modal QDialog (objectName "FormulaEditor", property "formula") with
// exec(). Accepting it makes Formula() give the edited text; rejecting it makes Formula()
// give "" (the user gave up). Does not own the engine it is handed.
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
