#include <K7XBO_Global/CDocFields.h>

namespace K7XBO_Global {

CDocFields& CDocFields::instance() {
    static CDocFields shared;
    return shared;
}

QVariant CDocFields::FieldScript(const QVariant& fieldText) const {
    QString script = fieldText.toString();
    for (const QChar typographic : {QChar(0x201C), QChar(0x201D), QChar(0x201E), QChar(0x2033)})
        script.replace(typographic, QLatin1Char('"'));
    return script;
}

} // namespace K7XBO_Global
