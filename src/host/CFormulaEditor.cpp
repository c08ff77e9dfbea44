#include <K7XBO_Global/CFormulaEditor.h>
#include <K7XBO_Global/CFormulaEngine.h>

#include "FormulaEditorDialog.h"

#include <QApplication>

namespace K7XBO_Global {

CFormulaEditor::CFormulaEditor(QObject* parent) : QObject(parent) {}
CFormulaEditor::~CFormulaEditor() = default;

void CFormulaEditor::Engine(CFormulaEngine* engine) {
    m_engine = engine;
}
void CFormulaEditor::setFormula(const QString& formula) {
    m_formula = formula;
}
QString CFormulaEditor::Formula() const {
    return m_formula;
}

void CFormulaEditor::ShowEditor(QString& modelCode, QString& /*second*/) {
    CFormulaEngine languageOnly; // checks the language when no engine was handed over
    CFormulaEngine& engine = m_engine ? *m_engine : languageOnly;
    formula::FormulaEditorDialog dialog(engine, engine.modelIndices(modelCode),
                                        QApplication::activeWindow());
    dialog.setFormula(m_formula);
    m_formula = dialog.exec() == QDialog::Accepted ? dialog.formula() : QString();
}

} // namespace K7XBO_Global
