// Numbers of the index record in the user's locale (QLocale(), read at each call).
//
// numberText() is how a stored value is shown: the shortest digits that read back to the
// same double, the locale's decimal separator, no digit grouping; plain notation from 1E-05
// up to below 1E+15, the locale's exponent form outside that range.
//
// parseNumber() is the one numeric test of the form, shared by validation and saving. It
// accepts: spaces or tabs around the number; an optional leading sign (the locale's plus or
// minus); digits with the locale's decimal separator; the locale's group separator only in
// its correct positions (groups of three), or not at all; an exponent ("e" or "E", optional
// sign). It refuses: an empty text, currency and percent signs, hexadecimal, infinities,
// NaN and values beyond the double range. In an Italian locale "." is the group separator, so
// "1.500" is 1500 and "1.5" (a misplaced separator) is refused: a user who meant 1,5 is told
// to correct the value instead of having 15 or 1.5 stored by guess.
// Pure functions; no failures; any thread.
#pragma once

#include <QString>

#include <optional>

namespace K7X_DoruVevuzu::record {

QString numberText(double value);
std::optional<double> parseNumber(const QString& text);

} // namespace K7X_DoruVevuzu::record
