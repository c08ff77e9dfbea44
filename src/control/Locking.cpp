// Field locking: which field the user may change, by edit state, standard flag and right.
#include "control/ctlIndiciPrivate.h"

#include "form/ControlTable.h"
#include "form/Form.h"
#include "record/Steps.h"
#include "widgets/ComboField.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <K7XBO_Global/CGlobal.h>

#include <QCheckBox>

namespace K7X_DoruVevuzu {

namespace {

using Rule = workflow::LockRule;

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

void ctlIndiciPrivate::lockFields(bool editing) {
    m_session->setEditing(editing);
    for (const Field& each : m_form->fields) { // for Content, the host's right asked anew
        if (!each.row->lock)
            continue;
        QWidget* field = each.widget;
        const Rule rule = *each.row->lock;
        if (rule != Rule::Content) {
            setEditState(field, m_session->editable(rule));
            continue;
        }
        // R is the host's answer; without a service, or when the host fails, the field keeps
        // its state (the step is skipped).
        if (!m_global)
            continue;
        record::skipOnFailure(
            [&] { setEditState(field, m_session->editable(rule, m_global->CanEditStandard())); });
    }
    if (editing)
        (m_session->adding() ? static_cast<QWidget*>(m_form->txtCodice) : m_form->txtDescrizione)
            ->setFocus();
}

} // namespace K7X_DoruVevuzu
