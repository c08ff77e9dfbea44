// Numbers of the index record in the user's locale (QLocale(), read at each call).
//
// numberText() is how a stored value is shown: the shortest digits that read back to the
// same double, the locale's decimal separator, no digit grouping; plain notation from 1E-05
// up to below 1E+15, the locale's exponent form outside that range.
//
// parseNumber() is the one numeric test of the form, shared by validation, saving and the
// typing filter of the numeric fields. It accepts: spaces or tabs around the number; an
// optional leading sign (the locale's plus or minus); digits with the locale's decimal
// separator; an exponent ("e" or "E", optional sign). It refuses: an empty text, group
// separators, currency and percent signs, hexadecimal, infinities, NaN and values beyond the
// double range. Group separators are refused because the form never shows them and a typed
// one is ambiguous: in an Italian locale "1.5" would be neither 1,5 nor 15 by any safe guess.
// canBecomeNumber() is the typing filter's rule: the text is a number, or the start of one
// ("", "-", "1,", "1E-"), so that whatever a user can type the parser reads, or refuses with
// the form's message; never silently as something else.
// Pure functions; no failures; any thread.
#pragma once

#include <QString>

#include <optional>

namespace K7X_DoruVevuzu::record {

QString numberText(double value);
std::optional<double> parseNumber(const QString& text);
bool canBecomeNumber(const QString& text);

} // namespace K7X_DoruVevuzu::record
