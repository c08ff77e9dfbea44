// Edit states and the commands that move between them; the change handlers.
//
// Change notifications listened to, from every field of the form but the formula buttons: a
// TextField's Change, the list's currentIndexChanged (it has no free text, so every change of
// the selection, by mouse, keyboard or by the component, comes through it) and the check box's
// stateChanged (a click, Space or a write by the component: every change of the check state,
// none for a write of the same state).
#include "control/ctlIndiciPrivate.h"

#include "form/Form.h"
#include "form/Tools.h"
#include "record/Text.h"
#include "widgets/ComboField.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>

namespace K7X_DoruVevuzu {

namespace {

// The caption bar's text: trimmed code, " - ", trimmed description; prefixed while adding.
QString captionOf(const Form& form, bool adding) {
    const QString caption = record::trimSpaces(form.txtCodice->text()) + QStringLiteral(" - ") +
                            record::trimSpaces(form.txtDescrizione->text());
    return adding ? QStringLiteral("Nuovo indice: ") + caption : caption;
}

} // namespace

void ctlIndiciPrivate::setAdding(bool value) {
    refuseWhileWaiting();
    if (!value) {
        m_form->txtCodice->setLocked(true);
        m_session->leaveAdding();
        return;
    }
    if (!m_session->startAdding())
        return;
    clearFields();
    m_session->discard();
    m_form->txtCodice->setLocked(false);
    m_form->sstIndice->setCurrentIndex(0);
    lockFields(true);
    m_form->txtCodice->setEditEnabled(true);
    m_form->txtCodice->setFocus();
    m_session->editTools();
    applyTools(m_form->tools, m_session->tools());
}

void ctlIndiciPrivate::ClickAddIndex() {
    refuseWhileWaiting();
    setAdding(true);
    clearFields();
    m_form->txtCodice->setFocus();
    m_form->sstIndice->setCurrentIndex(0);
}

void ctlIndiciPrivate::ClickCancel() {
    refuseWhileWaiting();
    m_form->sstIndice->setCurrentIndex(0);
    m_form->txtCodice->setFocus();
    setAdding(false);
    reloadFields();
    m_session->discard();
}

void ctlIndiciPrivate::ClickUndo() {
    refuseWhileWaiting();
    reloadFields();
    m_session->discard();
}

void ctlIndiciPrivate::connectChangeHandlers() {
    for (QWidget* field : m_form->focusOrder) {
        const auto changed = [this, field] {
            fieldChanged(field);
        };
        if (auto* text = qobject_cast<widgets::TextField*>(field))
            connect(text, &widgets::TextField::Change, this, changed);
        else if (auto* list = qobject_cast<QComboBox*>(field))
            connect(list, &QComboBox::currentIndexChanged, this, changed);
        else if (auto* check = qobject_cast<QCheckBox*>(field))
            connect(check, &QCheckBox::stateChanged, this, changed);
    }
    // The hotkeys see every key press first: the component and each descendant that takes the
    // keyboard itself (a field's keys go to its focus proxy) hand their presses to eventFilter.
    m_front.installEventFilter(&m_front);
    for (QWidget* child : m_front.findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus && !child->focusProxy())
            child->installEventFilter(&m_front);
    }
}

void ctlIndiciPrivate::fieldChanged(QWidget* field) {
    m_session->changed(columnBitsOf(*m_form, field)); // the user's entry is saved
    if (field != m_form->txtCodice && field != m_form->txtDescrizione)
        return;
    setCaption(captionOf(*m_form, m_session->adding()));
    if (field == m_form->txtCodice)
        m_session->typedCode(record::trimSpaces(m_form->txtCodice->text()));
}

} // namespace K7X_DoruVevuzu
