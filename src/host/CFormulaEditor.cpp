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

// The dialog lives on the heap: a host may delete its parent window while it is open, and the
// engine it checks with may go with the component; either closes it, as the user giving up.
void CFormulaEditor::ShowEditor(QString& modelCode, QString& /*second*/) {
    CFormulaEngine languageOnly; // checks the language when no engine was handed over
    CFormulaEngine& engine = m_engine ? *m_engine : languageOnly;
    const QPointer<formula::FormulaEditorDialog> dialog = new formula::FormulaEditorDialog(
        engine, engine.modelIndices(modelCode), QApplication::activeWindow());
    connect(&engine, &QObject::destroyed, dialog, &QDialog::reject);
    dialog->setFormula(m_formula);
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    m_formula = accepted ? dialog->formula() : QString();
    delete dialog;
}

} // namespace K7XBO_Global
