#include "workflow/EditSession.h"

namespace K7X_DoruVevuzu::workflow {

bool EditSession::editable(LockRule rule, bool right) const {
    switch (rule) {
    case LockRule::Code:
        return m_editing && m_adding;
    case LockRule::Content:
        return ((right || !m_standard) && m_editing) || m_adding;
    case LockRule::Free:
        break;
    }
    return m_editing;
}

std::optional<std::pair<QString, QString>> EditSession::codeToCarry() const {
    // After a new index is saved the codes differ too, but its row carries the new code.
    if (m_code != m_oldCode && !m_adding && m_shown && m_shown->code == m_oldCode)
        return std::pair(m_oldCode, m_code);
    return std::nullopt;
}

std::optional<QString> EditSession::ownCode() const {
    if (m_adding || !m_shown)
        return std::nullopt;
    return m_shown->code;
}

bool EditSession::showsOtherIndex() const {
    return !m_adding && m_shown && *m_shown != IndexKey{m_model, m_code};
}

void EditSession::read() {
    m_tools[int(Tool::Edit)] = true;
    m_tools[int(Tool::Ok)] = false;
}

void EditSession::changed(quint32 columns) {
    m_modified = true;
    m_unread &= ~columns;
}

void EditSession::typedCode(const QString& code) {
    if (m_adding)
        m_code = code;
}

bool EditSession::startAdding() {
    if (m_adding)
        return false;
    m_adding = true;
    m_modified = false;
    return true;
}

void EditSession::leaveAdding() {
    if (m_adding)
        m_code = m_oldCode;
    m_adding = false;
}

QString EditSession::keepNewIndex() {
    const QString saved = m_code;
    leaveAdding();
    m_code = saved;
    return saved;
}

void EditSession::saved(const QString& storedCode) {
    m_shown = IndexKey{m_model, storedCode};
}

void EditSession::editTools() {
    m_tools = {false, true, true};
}

void EditSession::viewTools() {
    m_tools = {true, false, false};
}

} // namespace K7X_DoruVevuzu::workflow
