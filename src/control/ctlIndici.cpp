// The component's public front: every call handed to the component behind it.
#include <K7X_DoruVevuzu/ctlIndici.h>

#include "control/ctlIndiciPrivate.h"

#include <utility>

namespace K7X_DoruVevuzu {

// The component behind the front installs this front as its fields' event filter while it is
// made, before `d` is set: eventFilter lets what comes then through.
ctlIndici::ctlIndici(QWidget* parent) : QWidget(parent) {
    d = new ctlIndiciPrivate(*this);
}

ctlIndici::~ctlIndici() {
    try {
        d->release();
    } catch (...) {
        // Termination never fails: a record set that refuses to close is dropped with us.
    }
    // Deleting it tells this front (its parent, and its own event filter) that a child went:
    // nothing may reach it meanwhile.
    delete std::exchange(d, nullptr);
}

bool ctlIndici::Adding() const {
    return d->Adding();
}
void ctlIndici::setAdding(bool value) {
    d->setAdding(value);
}
bool ctlIndici::CanClose(QString& NewIndex) {
    return d->CanClose(NewIndex);
}
void ctlIndici::ReplaceIndice(QString& Script, QString OldIndice, QString NewIndice) {
    d->ReplaceIndice(Script, OldIndice, NewIndice);
}
bool ctlIndici::UpdateDocFormulas(QString& OldIndice, QString& NewIndice) {
    return d->UpdateDocFormulas(OldIndice, NewIndice);
}
void ctlIndici::setCaption(const QString& value) {
    d->setCaption(value);
}
void ctlIndici::setCGlobal(K7XBO_Global::CGlobal* value) {
    d->setCGlobal(value);
}
void ctlIndici::ClickAddIndex() {
    d->ClickAddIndex();
}
void ctlIndici::ClickCancel() {
    d->ClickCancel();
}
void ctlIndici::ClickOk() {}
void ctlIndici::ClickUndo() {
    d->ClickUndo();
}
void ctlIndici::setCodiceIndice(const QString& value) {
    d->setCodiceIndice(value);
}
void ctlIndici::setCodiceModello(const QString& value) {
    d->setCodiceModello(value);
}
void ctlIndici::LoadIndice() {
    d->LoadIndice();
}
void ctlIndici::ReadFields() {
    d->ReadFields();
}
void ctlIndici::UnloadIndice() {
    d->UnloadIndice();
}
void ctlIndici::Destroy() {
    d->Destroy();
}
QString ctlIndici::captionText() const {
    return d->captionText();
}
QString ctlIndici::codiceIndiceText() const {
    return d->codiceIndiceText();
}
QString ctlIndici::codiceModelloText() const {
    return d->codiceModelloText();
}

void ctlIndici::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (d)
        d->layOut();
}
void ctlIndici::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (d)
        d->layOut();
}
bool ctlIndici::eventFilter(QObject* watched, QEvent* event) {
    return (d && d->filterKey(watched, event)) || QWidget::eventFilter(watched, event);
}
bool ctlIndici::focusNextPrevChild(bool next) {
    return (d && d->moveFocus(next)) || QWidget::focusNextPrevChild(next);
}

} // namespace K7X_DoruVevuzu
