// FormulaHighlighter: colours a formula by its tokens and marks the matching parentheses.
//
// Attached to the formula editor's text document; it owns nothing but its formats. Lines are
// coloured one by one (a formula's tokens never span lines in practice); the parentheses
// around the cursor are marked through the editor's extra selections by
// markParentheses(), which the dialog calls whenever the cursor moves. Never throws.
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QPlainTextEdit;

namespace K7XBO_Global::formula {

class FormulaHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit FormulaHighlighter(QTextDocument* document);
    ~FormulaHighlighter() override;

    // Marks the parenthesis next to the cursor and its partner (an unmatched one in red).
    static void markParentheses(QPlainTextEdit* editor);

protected:
    void highlightBlock(const QString& text) override;
};

} // namespace K7XBO_Global::formula
