// Edit states and the commands that move between them; the change handlers.
//
// Change notifications listened to: every TextField's Change, cmbGrafico's currentIndexChanged
// (the list has no free text, so every change of the selection, by mouse, keyboard or by the
// component, comes through it) and ChkRelGest's stateChanged (a click, Space or a write by the
// component: every change of the check state, none for a write of the same state).
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/Form.h"
#include "control/Tools.h"
#include "record/Columns.h"
#include "record/Text.h"
#include "widgets/ComboField.h"
#include "widgets/TextField.h"
#include "workflow/EditSession.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>

#include <array>

namespace K7X_DoruVevuzu {

namespace {

// The text fields whose Change marks the form modified (the code and the description also
// rebuild the caption, see fieldChanged).
constexpr std::array kTextFields{
    &Form::txtCodice,
    &Form::txtDescrizione,
    &Form::txtTesto,
    &Form::txtValoreScarso,
    &Form::txtValoreNormale,
    &Form::txtValoreBuono,
    &Form::txtDescrizioneScarso,
    &Form::txtDescrizioneNormale,
    &Form::txtDescrizioneBuono,
    &Form::txtFormulaCondizione,
    &Form::txtFormulaAllora,
    &Form::txtFormulaAltrimenti,
    &Form::txtFormulaSimbolica,
    &Form::txtValErr,
};

// The caption bar's text: trimmed code, " - ", trimmed description; prefixed while adding.
QString captionOf(const Form& form, bool adding) {
    const QString caption = record::trimSpaces(form.txtCodice->text()) + QStringLiteral(" - ") +
                            record::trimSpaces(form.txtDescrizione->text());
    return adding ? QStringLiteral("Nuovo indice: ") + caption : caption;
}

} // namespace

void ctlIndici::setAdding(bool value) {
    refuseWhileWaiting();
    if (!value) {
        mForm->txtCodice->setLocked(true);
        mSession->leaveAdding();
        return;
    }
    if (!mSession->startAdding())
        return;
    ClearFields();
    mSession->discard();
    mForm->txtCodice->setLocked(false);
    mForm->sstIndice->setCurrentIndex(0);
    LockFields(true);
    mForm->txtCodice->setEditEnabled(true);
    mForm->txtCodice->setFocus();
    mSession->editTools();
    applyTools(mForm->tools, mSession->tools());
}

void ctlIndici::ClickAddIndex() {
    refuseWhileWaiting();
    setAdding(true);
    ClearFields();
    mForm->txtCodice->setFocus();
    mForm->sstIndice->setCurrentIndex(0);
}

void ctlIndici::ClickCancel() {
    refuseWhileWaiting();
    mForm->sstIndice->setCurrentIndex(0);
    mForm->txtCodice->setFocus();
    setAdding(false);
    ReloadFields();
    mSession->discard();
}

void ctlIndici::ClickUndo() {
    refuseWhileWaiting();
    ReloadFields();
    mSession->discard();
}

void ctlIndici::connectChangeHandlers() {
    for (auto field : kTextFields) {
        widgets::TextField* control = (*mForm).*field;
        connect(control, &widgets::TextField::Change, this,
                [this, control] { fieldChanged(control); });
    }
    connect(mForm->cmbGrafico, &QComboBox::currentIndexChanged, this,
            [this] { fieldChanged(mForm->cmbGrafico); });
    connect(mForm->ChkRelGest, &QCheckBox::stateChanged, this,
            [this] { fieldChanged(mForm->ChkRelGest); });
    // The hotkeys see every key press first: the component and each descendant that takes the
    // keyboard itself (a field's keys go to its focus proxy) hand their presses to eventFilter.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus && !child->focusProxy())
            child->installEventFilter(this);
    }
}

void ctlIndici::fieldChanged(QWidget* field) {
    mSession->changed(record::bitsShownBy(*mForm, field)); // the user's entry is saved
    if (field != mForm->txtCodice && field != mForm->txtDescrizione)
        return;
    setCaption(captionOf(*mForm, mSession->adding()));
    if (field == mForm->txtCodice)
        mSession->typedCode(record::trimSpaces(mForm->txtCodice->text()));
}

} // namespace K7X_DoruVevuzu
