// FormulaEditorDialog: the formula editor's window, run modally by CFormulaEditor::ShowEditor.
//
// Shows the formula (highlighted, parentheses matched), the model's indices and the functions
// of the language with their help; double-clicking one inserts it at the cursor. A check
// message from the engine follows the typing (a quarter of a second after the last key); a
// failure of the check is shown in place of the message, never thrown. Owns its widgets
// only; the engine must outlive the dialog. Object names: "FormulaEditor", "txtFormula",
// "lstIndici", "lstFunzioni", "lblAiuto", "lblVerifica". GUI thread.
#pragma once

#include <K7XBO_Global/CFormulaEngine.h>

#include <QDialog>
#include <QTimer>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTreeWidget;

namespace K7XBO_Global::formula {

class FormulaEditorDialog : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString formula READ formula WRITE setFormula)
public:
    FormulaEditorDialog(CFormulaEngine& engine, const QList<CFormulaEngine::IndexEntry>& indices,
                        QWidget* parent = nullptr);
    ~FormulaEditorDialog() override;

    QString formula() const;
    void setFormula(const QString& text);

private:
    QWidget* buildIndexList(const QList<CFormulaEngine::IndexEntry>& indices);
    QWidget* buildFunctionList();
    void insertAtCursor(const QString& text, int cursorBack = 0);
    void checkNow();

    CFormulaEngine& m_engine;
    QPlainTextEdit* m_text;
    QTreeWidget* m_indices = nullptr;
    QListWidget* m_functions = nullptr;
    QLabel* m_help = nullptr;
    QLabel* m_verdict;
    QTimer m_checkDelay;
};

} // namespace K7XBO_Global::formula
