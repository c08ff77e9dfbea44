// The formula buttons: opening the host's formula editor on a formula box.
#include "control/ctlIndiciPrivate.h"

#include "errors/Errors.h"
#include "form/Form.h"
#include "widgets/FormulaButton.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <K7XBO_Global/CFormulaEditor.h>

#include <array>

namespace K7X_DoruVevuzu {

namespace {

// The box beside each button of the cmdFormula array, by button index.
constexpr std::array<widgets::TextField * Form::*, 3> kFormulaBoxes{
    &Form::txtFormulaCondizione, &Form::txtFormulaAllora, &Form::txtFormulaAltrimenti};

} // namespace

void ctlIndiciPrivate::connectFormulaButtons() {
    for (qint16 index = 0; index < qint16(kFormulaBoxes.size()); ++index) {
        connect(m_form->cmdFormula[std::size_t(index)], &QAbstractButton::clicked, this,
                [this, index] { runHandler(captionText(), [&] { editFormula(index); }); });
    }
}

void ctlIndiciPrivate::editFormula(qint16 index) {
    if (index < 0 || index >= qint16(kFormulaBoxes.size()))
        fail(RuntimeError::InvalidCall,
             QStringLiteral("Il pulsante formula %1 non esiste.").arg(index));
    K7XBO_Global::CFormulaEditor editor;
    editor.Engine(m_formulaEngine);
    widgets::TextField* box = m_form.get()->*kFormulaBoxes[std::size_t(index)];
    editor.setFormula(box->text());
    QString modelCode = m_session->model();
    QString unused;
    waitFor([&] { editor.ShowEditor(modelCode, unused); });
    const QString result = editor.Formula();
    if (!box->text().isEmpty() && result.isEmpty())
        return; // the user gave up: the box keeps its text
    box->setText(editor.Formula());
    m_session->changed();
}

} // namespace K7X_DoruVevuzu
