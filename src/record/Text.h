// Text rules of the index record shared by the record and the workflow: the trim that the
// form uses, which removes the space character only (tabs and line breaks stay).
// Pure functions on values; no state, no failures, any thread.
#pragma once

#include <QString>

namespace K7X_DoruVevuzu::record {

// The text without its leading and trailing spaces (U+0020 only).
inline QString trimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text.at(first) == QLatin1Char(' '))
        ++first;
    while (end > first && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return (first == 0 && end == text.size()) ? text : text.mid(first, end - first);
}

} // namespace K7X_DoruVevuzu::record
