// EditSession: the edit state of the component's form and the moves between its states.
//
// It owns the codes (the model, the index being edited and the one the host gave, which a rename
// starts from), whether the form is adding a new index, was modified, shows a standard index or
// is open for editing, the index whose row the form shows, the columns the last read could not
// show, and the enabled state of the three tools. It answers, as values, which tools are enabled
// and whether a field under each lock rule may be changed; the component applies them to its
// widgets. Leaving add mode is written here only. No widgets, no database; nothing fails. Not
// thread-safe: the component's GUI thread.
#pragma once

#include <QString>

#include <array>
#include <optional>
#include <utility>

namespace K7X_DoruVevuzu::workflow {

// The toolbar's tools, in the band's order.
enum class Tool { Edit, Ok, Cancel };
// The enabled state of each tool, indexed by Tool.
using ToolStates = std::array<bool, 3>;
// The tools before anything is loaded.
inline constexpr ToolStates kDesignTools{true, false, false};

// How a field's edit state follows the session: E editing, A adding, S standard, R the host's
// right to edit standard indices.
enum class LockRule {
    Code,    // E and A
    Content, // ((R or not S) and E) or A
    Free,    // E
};

// An index of a model, by its two codes.
struct IndexKey {
    QString model;
    QString code;
    bool operator==(const IndexKey&) const = default;
};

class EditSession {
public:
    // The host's hand-overs: the model, and the index to load (also the code a rename starts from).
    void setModel(const QString& model) { m_model = model; }
    void setCode(const QString& code) { m_code = m_oldCode = code; }

    const QString& model() const { return m_model; }
    const QString& code() const { return m_code; }
    const QString& oldCode() const { return m_oldCode; }
    bool adding() const { return m_adding; }
    bool modified() const { return m_modified; }
    bool standard() const { return m_standard; }
    bool editing() const { return m_editing; }
    const std::optional<IndexKey>& shown() const { return m_shown; }
    quint32 unreadColumns() const { return m_unread; } // bits of the form's fields (Form::Field)
    const ToolStates& tools() const { return m_tools; }

    // Whether a field under `rule` may be changed; `right` is the host's answer (Content only).
    bool editable(LockRule rule, bool right = false) const;
    // The code change a close carries into formulas and documents, old then new: a code that
    // differs outside add mode, on the row that carries the old code.
    std::optional<std::pair<QString, QString>> codeToCarry() const;
    // Whether validation runs the duplicate test (a new index, or a changed code).
    bool checksDuplicate() const { return m_adding || m_code != m_oldCode; }
    // The code of the row the form shows, which is no duplicate of itself; none while adding.
    std::optional<QString> ownCode() const;
    // Whether the form shows another index than the host named (its load failed), so that a
    // save of an existing index must be refused.
    bool showsOtherIndex() const;

    // The row of the model and code was opened: it is the one shown from now on.
    void opened() { m_shown = IndexKey{m_model, m_code}; }
    // A read of the row begins (every column counts as read) or could not show `columns`.
    void startReading() { m_unread = 0; }
    void unread(quint32 columns) { m_unread |= columns; }
    void setStandard(bool standard) { m_standard = standard; }
    // The row was read: the edit tool opens, the save tool closes.
    void read();
    // A field showing `columns` changed: the form is modified and those columns are saved.
    void changed(quint32 columns = 0);
    // The code typed into the code box: while adding it becomes the current code.
    void typedCode(const QString& code);
    // The form's changes are gone (read again, emptied or saved elsewhere).
    void discard() { m_modified = false; }
    // Enters add mode: false, changing nothing, when already adding.
    bool startAdding();
    // Leaves add mode: a code typed for the new index names no row, so the current code goes
    // back to the one the host gave.
    void leaveAdding();
    // A new index was saved: add mode ends and its code stays the current one, which it gives.
    QString keepNewIndex();
    // The row was saved and read back holding `storedCode`: it is the one shown.
    void saved(const QString& storedCode);
    // The fields open (editing) or close; the tools follow for the edit, save and cancel tools.
    void setEditing(bool editing) { m_editing = editing; }
    void editTools();
    void viewTools();

private:
    QString m_model;
    QString m_code;
    QString m_oldCode;
    bool m_adding = false;
    bool m_modified = false;
    bool m_standard = false;
    bool m_editing = false;
    std::optional<IndexKey> m_shown;
    quint32 m_unread = 0;
    ToolStates m_tools = kDesignTools;
};

} // namespace K7X_DoruVevuzu::workflow
