// The canonical written form of formulas and of the codes they quote.
#include "FormulaSyntax.h"

#include <K7XBO_Global/CTextUtil.h>

namespace K7XBO_Global {

namespace formula {

namespace {

void write(const Node& node, QString& out) {
    switch (node.kind) {
    case Node::Kind::Number:
        out += node.text;
        break;
    case Node::Kind::Code:
        out += CTextUtil::instance().FormulaQuote(node.text);
        break;
    case Node::Kind::Call:
        out += node.text + u'(';
        for (std::size_t i = 0; i < node.children.size(); ++i) {
            if (i > 0)
                out += QLatin1String("; ");
            write(node.children[i], out);
        }
        out += u')';
        break;
    case Node::Kind::Negate:
        out += u'-';
        write(node.children.front(), out);
        break;
    case Node::Kind::Not:
        out += node.ops.front() + u' ';
        write(node.children.front(), out);
        break;
    case Node::Kind::Chain:
        write(node.children.front(), out);
        for (std::size_t i = 0; i < node.ops.size(); ++i) {
            out += u' ' + node.ops[i] + u' ';
            write(node.children[i + 1], out);
        }
        break;
    case Node::Kind::Group:
        out += u'(';
        write(node.children.front(), out);
        out += u')';
        break;
    }
}

} // namespace

QString writeFormula(const Node& root) {
    QString out;
    write(root, out);
    return out;
}

} // namespace formula

QString CTextUtil::NormalizeFormula(const QString& formula) const {
    const formula::ParseResult parsed = formula::parseFormula(formula);
    return parsed.root ? formula::writeFormula(*parsed.root) : formula;
}

QString CTextUtil::FormulaQuote(const QString& code) const {
    QString quoted = code;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace K7XBO_Global
