#include "widgets/TextField.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace K7X_DoruVevuzu::widgets {

TextField::TextField(QWidget* parent) : QWidget(parent), m_edit(new QLineEdit(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textChanged, this, &TextField::Change);
}

TextField::~TextField() = default;

QString TextField::text() const { return m_edit->text(); }
void TextField::setText(const QString& value) { m_edit->setText(value); }
bool TextField::userEditable() const { return !m_locked && m_editEnabled; }

void TextField::setLocked(bool value) {
    m_locked = value;
    applyEditState();
}

void TextField::setEditEnabled(bool value) {
    m_editEnabled = value;
    applyEditState();
}

void TextField::applyEditState() { m_edit->setReadOnly(!userEditable()); }

} // namespace K7X_DoruVevuzu::widgets
