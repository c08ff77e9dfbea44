// The formula buttons: opening the host's formula editor on a formula box.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Errors.h"
#include "control/Form.h"
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

void ctlIndici::connectFormulaButtons() {
    for (qint16 index = 0; index < qint16(kFormulaBoxes.size()); ++index) {
        connect(mForm->cmdFormula[std::size_t(index)], &QAbstractButton::clicked, this,
                [this, index] { runHandler(captionText(), [&] { cmdFormula_Click(index); }); });
    }
}

void ctlIndici::cmdFormula_Click(qint16 Index) {
    if (Index < 0 || Index >= qint16(kFormulaBoxes.size()))
        fail(RuntimeError::InvalidCall,
             QStringLiteral("Il pulsante formula %1 non esiste.").arg(Index));
    K7XBO_Global::CFormulaEditor editor;
    editor.Engine(mFormulaEngine);
    widgets::TextField* box = mForm.get()->*kFormulaBoxes[std::size_t(Index)];
    editor.setFormula(box->text());
    QString modelCode = mSession->model();
    QString unused;
    waitFor([&] { editor.ShowEditor(modelCode, unused); });
    const QString result = editor.Formula();
    if (!box->text().isEmpty() && result.isEmpty())
        return; // the user gave up: the box keeps its text
    box->setText(editor.Formula());
    mSession->changed();
}

} // namespace K7X_DoruVevuzu
