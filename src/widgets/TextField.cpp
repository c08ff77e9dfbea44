#include "widgets/TextField.h"

#include "widgets/ReadOnlyLook.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QValidator>

#include <limits>

namespace K7X_DoruVevuzu::widgets {

namespace {

// The text of a multi-line editor as the user left it: its line and paragraph breaks as "\n",
// as toPlainText() gives them, but its no-break spaces kept (toPlainText() makes them spaces).
QString editedText(const QPlainTextEdit& editor) {
    QString text = editor.document()->toRawText();
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return text;
}

} // namespace

// Refuses typing beyond the maximum length and typing the field's rule refuses. Text written
// by code is never changed: QLineEdit validates it but keeps it, and while it stays out of the
// rules the user may edit it freely until it complies.
class TypingFilter : public QValidator {
public:
    using QValidator::QValidator;
    int maxLength = 0;
    std::function<bool(const QString&)> rule;

    State validate(QString& input, int&) const override {
        if (maxLength > 0 && input.size() > maxLength)
            return Invalid;
        if (rule && !rule(input))
            return Invalid;
        return Acceptable;
    }
};

TextField::TextField(QWidget* parent, Lines lines) : QWidget(parent) {
    QWidget* editor = nullptr;
    if (lines == Lines::Single) {
        m_line = new QLineEdit(this);
        m_line->setMaxLength(std::numeric_limits<int>::max()); // code's texts are never cut
        m_filter = new TypingFilter(m_line);
        m_line->setValidator(m_filter);
        connect(m_line, &QLineEdit::textChanged, this, &TextField::Change);
        editor = m_line;
    } else {
        m_lines = new QPlainTextEdit(this);
        m_lines->setTabChangesFocus(true);
        setScrollBars(ScrollBars::None);
        connect(m_lines, &QPlainTextEdit::textChanged, this, &TextField::emitIfChanged);
        editor = m_lines;
    }
    setFocusProxy(editor);
    setFocusPolicy(editor->focusPolicy());
    applyEditState();
}

TextField::~TextField() = default;

QString TextField::text() const {
    return m_line ? m_line->text() : m_value;
}

// A multi-line editor shows "\r\n", "\r" and line separators as line breaks and reads them
// back as "\n": the value written is kept apart, exactly, until the user edits it.
void TextField::setText(const QString& value) {
    if (m_line) {
        m_line->setText(value);
        return;
    }
    if (value == m_value)
        return;
    m_value = value;
    {
        const QSignalBlocker quiet(m_lines);
        m_lines->setPlainText(value);
    }
    m_shown = editedText(*m_lines);
    emit Change();
}

// QPlainTextEdit also reports changes of layout and format: only a new text is an edit.
void TextField::emitIfChanged() {
    QString now = editedText(*m_lines);
    if (now == m_shown)
        return;
    m_shown = now;
    m_value = std::move(now);
    emit Change();
}

bool TextField::userEditable() const {
    return !m_locked && m_editEnabled;
}

void TextField::setLocked(bool value) {
    m_locked = value;
    applyEditState();
}

void TextField::setEditEnabled(bool value) {
    m_editEnabled = value;
    applyEditState();
}

void TextField::applyEditState() {
    QWidget* editor = focusProxy();
    if (m_line)
        m_line->setReadOnly(!userEditable());
    else
        m_lines->setReadOnly(!userEditable());
    showEditable(editor, userEditable());
}

void TextField::setMaxLength(int length) {
    if (m_filter)
        m_filter->maxLength = length;
}

void TextField::setTypingRule(std::function<bool(const QString&)> rule) {
    if (m_filter)
        m_filter->rule = std::move(rule);
}

void TextField::setAlignment(Qt::Alignment alignment) {
    if (m_line) {
        m_line->setAlignment(alignment);
        return;
    }
    QTextOption option = m_lines->document()->defaultTextOption();
    option.setAlignment(alignment);
    m_lines->document()->setDefaultTextOption(option);
}

void TextField::setScrollBars(ScrollBars bars) {
    if (!m_lines)
        return;
    const auto has = [bars](ScrollBars one) {
        return (static_cast<int>(bars) & static_cast<int>(one)) != 0;
    };
    m_lines->setVerticalScrollBarPolicy(has(ScrollBars::Vertical) ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAlwaysOff);
    m_lines->setHorizontalScrollBarPolicy(has(ScrollBars::Horizontal) ? Qt::ScrollBarAlwaysOn
                                                                      : Qt::ScrollBarAlwaysOff);
    m_lines->setLineWrapMode(has(ScrollBars::Horizontal) ? QPlainTextEdit::NoWrap
                                                         : QPlainTextEdit::WidgetWidth);
}

// No layout: the editor fills the field, whatever size the form gives it.
void TextField::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    focusProxy()->setGeometry(rect());
}

} // namespace K7X_DoruVevuzu::widgets
