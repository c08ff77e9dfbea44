#pragma once

#include <K7XBO_Global/CFormulaEngine.h>

#include <QObject>
#include <QPointer>
#include <QString>

namespace K7XBO_Global {

/// The host's formula editor, created for one click of a formula button.
///
/// Does not own the engine it is handed; without one, only the language is checked. GUI
/// thread.
class CFormulaEditor : public QObject {
    Q_OBJECT
public:
    /// An editor with no engine and an empty formula.
    explicit CFormulaEditor(QObject* parent = nullptr);
    ~CFormulaEditor() override;

    /// The engine that checks the formula and knows the host service (not owned).
    virtual void Engine(CFormulaEngine* engine);
    /// The formula the editor opens with.
    virtual void setFormula(const QString& formula);
    /// After ShowEditor(): the edited text when the user accepted, "" when they gave up.
    virtual QString Formula() const;
    /// Runs the modal dialog (objectName "FormulaEditor", property "formula") with exec():
    /// syntax highlighting, the indices of model `modelCode` to insert, the functions with a
    /// line of help each, and a check with the engine as the user types. `second` is not used.
    /// \throws K7X_DoruVevuzu::RuntimeError before the dialog opens when the indices cannot be
    ///         read (see CFormulaEngine::modelIndices()).
    virtual void ShowEditor(QString& modelCode, QString& second);

private:
    QPointer<CFormulaEngine> m_engine;
    QString m_formula;
};

} // namespace K7XBO_Global
