#include "FormulaHighlighter.h"
#include "FormulaSyntax.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include <optional>

namespace K7XBO_Global::formula {

namespace {

QTextCharFormat format(const QColor& colour, bool bold = false) {
    QTextCharFormat result;
    result.setForeground(colour);
    if (bold)
        result.setFontWeight(QFont::Bold);
    return result;
}

QTextCharFormat invalidFormat() {
    QTextCharFormat result = format(Qt::red);
    result.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    result.setUnderlineColor(Qt::red);
    return result;
}

bool isWordOperator(QStringView name) {
    for (const char* word : {"E", "O", "NON", "AND", "OR", "NOT"}) {
        if (name.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The format of one token, or none for plain text.
std::optional<QTextCharFormat> formatOf(QStringView text, const Token& token) {
    switch (token.kind) {
    case TokenKind::Number:
        return format(QColor(0, 128, 128));
    case TokenKind::Text:
        return format(QColor(0, 128, 0));
    case TokenKind::Operator:
    case TokenKind::Separator:
        return format(QColor(128, 64, 0));
    case TokenKind::Invalid:
        return invalidFormat();
    case TokenKind::Name: {
        const QStringView name = text.mid(token.start, token.length);
        if (findFunction(name))
            return format(QColor(0, 0, 192), true);
        if (isWordOperator(name))
            return format(QColor(128, 0, 128), true);
        return invalidFormat();
    }
    default:
        return std::nullopt;
    }
}

QTextEdit::ExtraSelection markAt(QPlainTextEdit* editor, qsizetype position, const QColor& colour) {
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(editor->document());
    selection.cursor.setPosition(int(position));
    selection.cursor.setPosition(int(position) + 1, QTextCursor::KeepAnchor);
    selection.format.setBackground(colour);
    return selection;
}

// The index of the parenthesis token partnering tokens[from], or -1 when it has none.
std::ptrdiff_t partnerOf(const std::vector<Token>& tokens, std::ptrdiff_t from) {
    const bool forward = tokens[std::size_t(from)].kind == TokenKind::Open;
    const std::ptrdiff_t step = forward ? 1 : -1;
    int depth = 0;
    for (std::ptrdiff_t i = from; i >= 0 && i < std::ptrdiff_t(tokens.size()); i += step) {
        const TokenKind kind = tokens[std::size_t(i)].kind;
        if (kind == TokenKind::Open || kind == TokenKind::Close)
            depth += (kind == TokenKind::Open) == forward ? 1 : -1;
        if (depth == 0)
            return i;
    }
    return -1;
}

} // namespace

FormulaHighlighter::FormulaHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}
FormulaHighlighter::~FormulaHighlighter() = default;

void FormulaHighlighter::highlightBlock(const QString& text) {
    for (const Token& token : tokenize(text)) {
        if (const auto tokenFormat = formatOf(text, token))
            setFormat(int(token.start), int(token.length), *tokenFormat);
    }
}

void FormulaHighlighter::markParentheses(QPlainTextEdit* editor) {
    const QString text = editor->toPlainText();
    const std::vector<Token> tokens = tokenize(text);
    const qsizetype cursor = editor->textCursor().position();
    QList<QTextEdit::ExtraSelection> marks;
    for (std::ptrdiff_t i = 0; i < std::ptrdiff_t(tokens.size()); ++i) {
        const Token& token = tokens[std::size_t(i)];
        const bool parenthesis = token.kind == TokenKind::Open || token.kind == TokenKind::Close;
        if (!parenthesis || (token.start != cursor && token.start + 1 != cursor))
            continue;
        const std::ptrdiff_t partner = partnerOf(tokens, i);
        if (partner < 0) {
            marks.append(markAt(editor, token.start, QColor(255, 160, 160)));
        } else {
            marks.append(markAt(editor, token.start, QColor(160, 220, 255)));
            marks.append(markAt(editor, tokens[std::size_t(partner)].start, QColor(160, 220, 255)));
        }
        break;
    }
    editor->setExtraSelections(marks);
}

} // namespace K7XBO_Global::formula
