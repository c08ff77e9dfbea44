#include "widgets/ComboField.h"

#include "widgets/ReadOnlyLook.h"

#include <QKeyEvent>

namespace K7X_DoruVevuzu::widgets {

ComboField::ComboField(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setFocusPolicy(Qt::StrongFocus);
}

ComboField::~ComboField() = default;

void ComboField::setEditEnabled(bool value) {
    m_editEnabled = value;
    showEditable(this, value);
}

void ComboField::showPopup() {
    if (m_editEnabled)
        QComboBox::showPopup();
}

void ComboField::mousePressEvent(QMouseEvent* event) {
    if (m_editEnabled)
        QComboBox::mousePressEvent(event);
    else
        setFocus(Qt::MouseFocusReason);
}

void ComboField::wheelEvent(QWheelEvent* event) {
    if (m_editEnabled)
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}

// Read-only: the keys go on to the parents, as for any widget that does not use them.
void ComboField::keyPressEvent(QKeyEvent* event) {
    if (m_editEnabled)
        QComboBox::keyPressEvent(event);
    else
        event->ignore();
}

} // namespace K7X_DoruVevuzu::widgets
