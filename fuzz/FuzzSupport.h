// Helpers shared by the fuzz harnesses: the input cut into pieces, the codes a formula names,
// and the check that stops the run on a broken property.
#pragma once

#include "host/FormulaSyntax.h"

#include <QByteArrayList>
#include <QStringList>

namespace fuzz {

// The input cut at NUL bytes into `count` pieces, the last keeping any further NUL; missing
// pieces are empty.
inline QByteArrayList pieces(const std::uint8_t* data, std::size_t size, qsizetype count) {
    QByteArrayList cut = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split(0);
    const QByteArray last = cut.mid(count - 1).join('\0');
    cut.resize(count);
    cut.back() = last;
    return cut;
}

inline QStringList codes(const K7XBO_Global::formula::ParseResult& parsed) {
    QStringList found;
    for (const K7XBO_Global::formula::Reference& reference : parsed.indices)
        found.append(reference.code);
    return found;
}

inline void require(bool holds, const char* property) {
    if (!holds)
        qFatal("fuzz: property broken: %s", property);
}

} // namespace fuzz
