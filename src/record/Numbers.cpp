#include "record/Numbers.h"

#include <QLocale>

#include <cmath>

namespace K7X_DoruVevuzu::record {

namespace {
// Plain notation for magnitudes in [1E-05, 1E+15), as users read amounts and ratios.
constexpr double kPlainFrom = 1e-5;
constexpr double kPlainBelow = 1e15;
} // namespace

QString numberText(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double magnitude = std::fabs(value);
    const bool plain = magnitude == 0.0 || (magnitude >= kPlainFrom && magnitude < kPlainBelow);
    return locale.toString(value, plain ? 'f' : 'e', QLocale::FloatingPointShortest);
}

std::optional<double> parseNumber(const QString& text) {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A start of a number becomes one with a digit more ("-0", "1,0", "1E-0"); a complete number
// followed by a space stays one.
bool canBecomeNumber(const QString& text) {
    return parseNumber(text) || parseNumber(text + u'0');
}

} // namespace K7X_DoruVevuzu::record
