// Helpers shared by the fuzz harnesses: the input split into texts, the offscreen application
// a widget needs, and the check that stops the run on a broken property.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzz {

// The input cut at NUL bytes into `count` pieces; missing ones are empty.
inline std::vector<QByteArray> pieces(const std::uint8_t* data, std::size_t size,
                                      std::size_t count) {
    std::vector<QByteArray> found;
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    qsizetype from = 0;
    while (found.size() + 1 < count) {
        const qsizetype cut = input.indexOf('\0', from);
        const qsizetype end = cut < 0 ? input.size() : cut;
        found.push_back(input.sliced(from, end - from).toByteArray());
        from = cut < 0 ? end : end + 1;
    }
    found.push_back(input.sliced(from).toByteArray());
    return found;
}

// The same pieces read as UTF-8 texts.
inline std::vector<QString> texts(const std::uint8_t* data, std::size_t size, std::size_t count) {
    std::vector<QString> found;
    for (const QByteArray& piece : pieces(data, size, count))
        found.push_back(QString::fromUtf8(piece));
    return found;
}

// A QApplication on the offscreen platform, created once and kept until the process ends.
inline void startApplication(char* program) {
    static int argc = 1;
    static char* argv[] = {program, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    [[maybe_unused]] static const auto* application = new QApplication(argc, argv);
}

inline void require(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "fuzz: property broken: %s\n", property);
    std::abort();
}

} // namespace fuzz
