// Field locking: which field the user may change, by edit state, standard flag and right.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Form.h"
#include "record/Steps.h"
#include "widgets/ComboField.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <K7XBO_Global/CGlobal.h>

namespace K7X_DoruVevuzu {

namespace {

using Rule = workflow::LockRule;

// A field and its lock rule; for Content the host's right is asked afresh for the field.
struct LockStep {
    const char* field;
    Rule rule;
};

constexpr LockStep kLockSteps[] = {
    {"txtCodice", Rule::Code},
    {"txtDescrizione", Rule::Content},
    {"txtFormulaAllora", Rule::Content},
    {"txtFormulaAltrimenti", Rule::Content},
    {"txtFormulaCondizione", Rule::Content},
    {"txtFormulaSimbolica", Rule::Content},
    {"txtTesto", Rule::Content},
    {"txtValoreBuono", Rule::Content},
    {"txtDescrizioneBuono", Rule::Content},
    {"txtValoreNormale", Rule::Content},
    {"txtDescrizioneNormale", Rule::Content},
    {"txtValoreScarso", Rule::Content},
    {"txtDescrizioneScarso", Rule::Content},
    {"cmbGrafico", Rule::Content},
    {"txtValErr", Rule::Free},
    {"cmdFormula_0", Rule::Content},
    {"cmdFormula_1", Rule::Content},
    {"cmdFormula_2", Rule::Content},
    {"ChkRelGest", Rule::Free},
};

// Text boxes and the list have an edit-enable switch; buttons and the check box are enabled.
void setEditState(QWidget* field, bool editable) {
    if (auto* text = qobject_cast<widgets::TextField*>(field))
        text->setEditEnabled(editable);
    else if (auto* list = qobject_cast<widgets::ComboField*>(field))
        list->setEditEnabled(editable);
    else
        field->setEnabled(editable);
}

} // namespace

void ctlIndici::LockFields(bool Enable) {
    mSession->setEditing(Enable);
    for (const LockStep& step : kLockSteps) {
        QWidget* field = findChild<QWidget*>(QLatin1String(step.field));
        if (!field)
            continue;
        if (step.rule != Rule::Content) {
            setEditState(field, mSession->editable(step.rule));
            continue;
        }
        // R is the host's answer; without a service, or when the host fails, the field keeps
        // its state (the step is skipped).
        if (!mGlobal)
            continue;
        record::skipOnFailure([&] {
            setEditState(field, mSession->editable(step.rule, mGlobal->CanEditStandard()));
        });
    }
    if (Enable)
        (mSession->adding() ? static_cast<QWidget*>(mForm->txtCodice) : mForm->txtDescrizione)
            ->setFocus();
}

} // namespace K7X_DoruVevuzu
