// TextField: the form's text box, single or multi-line, standing in for the maker's text control.
//
// Owns its keyboard widget (a QLineEdit or a QPlainTextEdit, chosen at construction), which is
// its focusProxy(). Settings: maximum length and a typing rule (single line only: they filter
// what the user types, never what code writes with setText, which is kept whole whatever its
// length), alignment, scroll bars (multi-line only). Two switches decide whether the user may
// change the value: "locked" and "edit-enable"; the field is userEditable only when not locked and
// edit-enabled. A field that is not userEditable still takes the focus and shows a read-only
// background. Change is emitted on every change of the value, typed or written by code, and never
// for a write that leaves the value as it was. Nothing here fails. GUI thread only.
#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

namespace K7X_DoruVevuzu::widgets {

class TypingFilter;

class TextField : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY Change)
    Q_PROPERTY(bool userEditable READ userEditable)
public:
    enum class Lines { Single, Multi };
    // The maker's `scrollbars` setting: 0 none, 1 horizontal, 2 vertical, 3 both.
    enum class ScrollBars { None = 0, Horizontal = 1, Vertical = 2, Both = 3 };

    explicit TextField(QWidget* parent = nullptr, Lines lines = Lines::Single);
    ~TextField() override;

    QString text() const;
    void setText(const QString& value);
    bool userEditable() const;
    void setLocked(bool value);
    bool locked() const { return m_locked; }
    void setEditEnabled(bool value);
    bool editEnabled() const { return m_editEnabled; }

    void setMaxLength(int length); // 0: no limit
    // Typing keeps only texts the rule accepts (the numeric fields: what can become a number).
    void setTypingRule(std::function<bool(const QString&)> rule);
    void setAlignment(Qt::Alignment alignment);
    void setScrollBars(ScrollBars bars);

signals:
    void Change();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyEditState();
    void emitIfChanged();

    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_lines = nullptr;
    TypingFilter* m_filter = nullptr;
    QString m_value; // multi-line: the value, as written or as the user's edits left it
    QString m_shown; // multi-line: the editor's text when m_value was last set
    bool m_locked = false;
    bool m_editEnabled = true;
};

} // namespace K7X_DoruVevuzu::widgets
