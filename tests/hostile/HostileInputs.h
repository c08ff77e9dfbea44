// Hostile inputs for the component: texts made of pieces that break naive SQL, LIKE patterns,
// formula quoting, document fields, XML and Unicode handling, drawn from a fixed seed so that
// every run sees the same inputs and a failure names the input that caused it.
#pragma once

#include <QString>
#include <QStringList>

#include <random>
#include <string_view>

namespace hostile {

using namespace std::literals;

struct Piece {
    const char* name;
    std::u16string_view text;
};

inline constexpr Piece kPieces[] = {
    {"apice", u"'"},
    {"virgolette", u"\""},
    {"apici doppi", u"''"},
    {"barra inversa", u"\\"},
    {"barra e apice", u"\\'"},
    {"percento", u"%"},
    {"sottolineato", u"_"},
    {"LIKE", u"%_%"},
    {"punto e virgola", u";"},
    {"commento SQL", u"--"},
    {"commento C", u"/*"},
    {"iniezione", u"'; DROP TABLE KX09_INDICE; --"},
    {"sempre vero", u"' OR '1'='1"},
    {"parentesi chiusa", u")"},
    {"parentesi aperta", u"("},
    {"riferimento", u"Indice(\"A1\")"},
    {"inizio campo", u"{{"},
    {"fine campo", u"}}"},
    {"XML", u"<w:t>&amp;]]>"},
    {"HTML", u"<b>x</b>"},
    {"accenti", u"àèéìòù"},
    {"esse", u"ß"},
    {"CJK", u"指標"},
    {"emoji", u"😀"},
    {"bandiera", u"🇮🇹"},
    {"famiglia", u"👨‍👩‍👧"},
    {"arabo", u"مؤشر"},
    {"ebraico", u"מדד"},
    {"RLO", u"\u202E"},
    {"combinante", u"e\u0301"},
    {"ZWSP", u"\u200B"},
    {"BOM", u"\uFEFF"},
    {"NBSP", u"\u00A0"},
    {"separatore di riga", u"\u2028"},
    {"tipografiche", u"\u201Cx\u201D"},
    {"tab", u"\t"},
    {"CR", u"\r"},
    {"LF", u"\n"},
    {"CRLF", u"\r\n"},
    {"VT", u"\v"},
    {"NUL", u"\0"sv},
    {"controllo", u"\x01\x1f"},
    {"DEL", u"\x7f"},
    {"spazi", u"  "},
    {"spazio", u" "},
    {"lettere", u"AB"},
    {"cifre", u"07"},
    {"lungo", u"Margine operativo lordo su ricavi"},
};

struct Input {
    QString name; // "#12 apice+emoji": its number and pieces
    QString text;
};

// `count` inputs of one to four pieces each, drawn from `seed`; an input is drawn again while
// `accept` refuses it (the caller's rules may need, say, distinct codes).
template <typename Accept> QList<Input> generate(int count, std::uint32_t seed, Accept accept) {
    std::mt19937 random(seed);
    constexpr auto kCount = static_cast<std::uint32_t>(std::size(kPieces));
    QList<Input> inputs;
    while (inputs.size() < count) {
        Input input;
        QStringList names;
        for (std::uint32_t n = 1 + random() % 4; n > 0; --n) {
            const Piece& piece = kPieces[random() % kCount];
            names << QLatin1String(piece.name);
            input.text += QStringView(piece.text.data(), qsizetype(piece.text.size()));
        }
        input.name = QStringLiteral("#%1 %2").arg(inputs.size()).arg(names.join(u'+'));
        if (accept(input.text))
            inputs << input;
    }
    return inputs;
}

} // namespace hostile
