#include "documents/Story.h"

#include "documents/DocumentError.h"
#include "documents/Package.h"
#include "documents/XmlPart.h"

#include <algorithm>

namespace K7X_DoruVevuzu::documents {

namespace {

[[noreturn]] void refuse(const QString& why) {
    documentFailure(DocumentFault::Refused, why);
}

bool isTypable(QChar c) {
    return c.unicode() >= 0x20 || c == mark::Tab || c == mark::LineBreak;
}

} // namespace

void Story::append(SegmentKind kind, pugi::xml_node node, const QString& shown,
                   const Scope& scope) {
    if (shown.isEmpty())
        return;
    if (m_text.size() + shown.size() > static_cast<qsizetype>(Package::kMaxPartSize))
        documentFailure(DocumentFault::Unreadable,
                        QStringLiteral("Impossibile aprire il documento: il testo della parte "
                                       "'%1' è troppo lungo.")
                            .arg(m_part.name()));
    m_segments.push_back({length(), static_cast<int>(shown.size()), kind, node, scope});
    m_text += shown;
}

void Story::reserveWholePart() {
    constexpr qsizetype kSmallestSegmentXml = 8;     // such as <w:tab/> or <w:p/>
    constexpr qsizetype kLargestReserved = 32 << 20; // a huge part grows as it is read
    const qsizetype bytes = std::min(m_part.byteSize(), kLargestReserved);
    m_text.reserve(bytes);
    m_segments.reserve(static_cast<std::size_t>(bytes / kSmallestSegmentXml));
}

void Story::dropLastCharacter() {
    m_text.chop(1);
    if (--m_segments.back().length == 0)
        m_segments.pop_back();
}

std::size_t Story::segmentAt(int position) const {
    const auto after =
        std::upper_bound(m_segments.begin(), m_segments.end(), position,
                         [](int wanted, const Segment& segment) { return wanted < segment.start; });
    return static_cast<std::size_t>(after - m_segments.begin()) - 1;
}

// The text segment that takes text typed at `position`: the one around it, else the one
// ending there, else the one starting there.
std::size_t Story::insertionSegment(int position) const {
    const std::size_t count = m_segments.size();
    const std::size_t at = position < length() ? segmentAt(position) : count;
    const auto isText = [&](std::size_t k) {
        return k < count && m_segments[k].kind == SegmentKind::Text;
    };
    if (isText(at) && m_segments[at].start < position)
        return at;
    if (at > 0 && isText(at - 1) && m_segments[at - 1].end() == position)
        return at - 1;
    if (isText(at))
        return at;
    refuse(QStringLiteral("Nessun testo in cui inserire alla posizione %1.").arg(position));
}

void Story::check(int from, int to) const {
    if (from < 0 || to < from || to > length())
        refuse(QStringLiteral("Intervallo di testo non valido (%1-%2).").arg(from).arg(to));
    if (from == to) {
        insertionSegment(from);
        return;
    }
    const std::size_t first = segmentAt(from);
    const std::size_t last = segmentAt(to - 1);
    for (std::size_t k = first; k <= last; ++k) {
        const Segment& segment = m_segments[k];
        if (segment.kind == SegmentKind::Boundary)
            refuse(QStringLiteral("Il testo da sostituire attraversa la fine di un paragrafo o "
                                  "di una cella."));
        if (segment.kind == SegmentKind::Object)
            refuse(QStringLiteral("Il testo da sostituire contiene un oggetto (immagine, nota o "
                                  "casella di testo)."));
        if (!(segment.scope == m_segments[first].scope))
            refuse(QStringLiteral("Il testo da sostituire attraversa il limite di un campo o di "
                                  "una revisione."));
    }
}

void Story::replace(int from, int to, const QString& replacement) {
    if (!std::all_of(replacement.begin(), replacement.end(), isTypable))
        refuse(QStringLiteral("Il testo sostitutivo contiene caratteri che non possono stare in "
                              "un paragrafo."));
    check(from, to);
    if (m_twin) {
        if (m_twin->m_text != m_text)
            refuse(QStringLiteral("Le due copie della casella di testo non coincidono."));
        m_twin->check(from, to);
    }
    edit(from, to, replacement);
    if (m_twin)
        m_twin->edit(from, to, replacement);
}

void Story::edit(int from, int to, const QString& replacement) {
    m_part.modified = true;
    std::size_t first = from == to ? insertionSegment(from) : segmentAt(from);
    std::size_t last = from == to ? first : segmentAt(to - 1);
    // A run of spaces cut by the range becomes plain text, which the encoder writes back.
    for (const std::size_t k : {first, last}) {
        Segment& cut = m_segments[k];
        if (cut.kind == SegmentKind::Spaces && (cut.start < from || cut.end() > to)) {
            const pugi::xml_node text = m_encoder.newTextBefore(cut.node);
            cut.node.parent().remove_child(cut.node);
            cut.node = text;
            cut.kind = SegmentKind::Text;
        }
    }
    // The new text goes into the range's first text node, or a new one in its first run.
    std::size_t target = first;
    while (target <= last && m_segments[target].kind != SegmentKind::Text)
        ++target;
    if (target > last) {
        Segment created = m_segments[first];
        created.node = m_encoder.newTextBefore(created.node);
        created.kind = SegmentKind::Text;
        created.length = 0;
        m_segments.insert(m_segments.begin() + static_cast<std::ptrdiff_t>(first), created);
        target = first;
        ++last;
    }

    const int firstStart = m_segments[first].start;
    QChar previous = firstStart > 0 ? m_text[firstStart - 1] : QChar();
    std::vector<Segment> written;
    for (std::size_t k = first; k <= last; ++k) {
        const Segment& segment = m_segments[k];
        if (segment.kind != SegmentKind::Text) {
            segment.node.parent().remove_child(segment.node); // covered whole
            continue;
        }
        const QStringView shown = QStringView(m_text).mid(segment.start, segment.length);
        const int keepLeft = std::clamp(from - segment.start, 0, segment.length);
        const int keepFrom = std::clamp(to - segment.start, 0, segment.length);
        QString content = shown.left(keepLeft).toString();
        if (k == target)
            content += replacement;
        content += shown.mid(keepFrom);
        const auto pieces = m_encoder.write(segment, content, previous);
        written.insert(written.end(), pieces.begin(), pieces.end());
        if (!content.isEmpty())
            previous = content.back();
    }
    const int delta = static_cast<int>(replacement.size()) - (to - from);
    std::size_t next = splice(first, last, std::move(written), delta);
    m_text.replace(from, to - from, replacement);

    // A neighbour whose white space collapsed against the old text is written out in full;
    // so, in turn, is the one after it, whose white space collapsed against the neighbour's.
    while (next < m_segments.size() && m_segments[next].kind == SegmentKind::Text &&
           m_encoder.dependsOnPrevious(m_segments[next])) {
        const Segment& neighbour = m_segments[next];
        const QChar before = neighbour.start > 0 ? m_text[neighbour.start - 1] : QChar();
        const QString shown = m_text.mid(neighbour.start, neighbour.length);
        next = splice(next, next, m_encoder.write(neighbour, shown, before), 0);
    }
}

std::size_t Story::splice(std::size_t first, std::size_t last, std::vector<Segment> written,
                          int delta) {
    int cursor = m_segments[first].start;
    const Scope scope = m_segments[first].scope;
    for (Segment& piece : written) {
        piece.start = cursor;
        piece.scope = scope;
        cursor += piece.length;
    }
    const auto begin = m_segments.begin();
    m_segments.erase(begin + static_cast<std::ptrdiff_t>(first),
                     begin + static_cast<std::ptrdiff_t>(last) + 1);
    m_segments.insert(m_segments.begin() + static_cast<std::ptrdiff_t>(first), written.begin(),
                      written.end());
    const std::size_t next = first + written.size();
    for (std::size_t k = next; k < m_segments.size(); ++k)
        m_segments[k].start += delta;
    return next;
}

} // namespace K7X_DoruVevuzu::documents
