#include <K7XBO_Global/CFormulaEditor.h>
#include <K7XBO_Global/CFormulaEngine.h>

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace K7XBO_Global {

CFormulaEditor::CFormulaEditor(QObject* parent) : QObject(parent) {}
CFormulaEditor::~CFormulaEditor() = default;

void CFormulaEditor::Engine(CFormulaEngine* engine) { m_engine = engine; }
void CFormulaEditor::setFormula(const QString& formula) { m_formula = formula; }
QString CFormulaEditor::Formula() const { return m_formula; }

void CFormulaEditor::ShowEditor(QString& /*modelCode*/, QString& /*second*/) {
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("FormulaEditor"));
    dialog.setWindowTitle(QStringLiteral("Editor Formula"));
    auto* text = new QPlainTextEdit(m_formula, &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    m_formula = dialog.exec() == QDialog::Accepted ? text->toPlainText() : QString();
}

} // namespace K7XBO_Global
