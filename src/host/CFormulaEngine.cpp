#include <K7XBO_Global/CFormulaEngine.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CTextUtil.h>

namespace K7XBO_Global {

CFormulaEngine::CFormulaEngine(QObject* parent) : QObject(parent) {}
CFormulaEngine::~CFormulaEngine() = default;

void CFormulaEngine::GlobalService(CGlobal* service) { m_global = service; }
void CFormulaEngine::ModelCode(const QString& code) { m_modelCode = code; }

// First check: quotes closed and parentheses balanced.
QString CFormulaEngine::CheckFormula(QString& formula) {
    int depth = 0;
    bool inString = false;
    for (qsizetype i = 0; i < formula.size(); ++i) {
        const QChar c = formula.at(i);
        if (c == QLatin1Char('"'))
            inString = !inString;
        else if (!inString && c == QLatin1Char('('))
            ++depth;
        else if (!inString && c == QLatin1Char(')') && --depth < 0)
            return QStringLiteral("Parentesi chiusa senza apertura alla posizione %1.").arg(i + 1);
    }
    if (inString)
        return QStringLiteral("Virgolette non chiuse.");
    if (depth > 0)
        return QStringLiteral("Parentesi non chiusa.");
    return {};
}

QString CTextUtil::NormalizeFormula(const QString& formula) const { return formula; }

} // namespace K7XBO_Global
