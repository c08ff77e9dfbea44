#include "documents/Story.h"

#include "documents/DocumentError.h"
#include "documents/Package.h"
#include "documents/Spares.h"
#include "documents/XmlPart.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace K7X_DoruVevuzu::documents {

namespace {

[[noreturn]] void refuse(const QString& why) {
    documentFailure(DocumentFault::Refused, why);
}

// Why `text` cannot be an edit's new text, or an empty string: a control character other than
// tab and line break, or a character XML cannot hold (U+FFFE, U+FFFF, an unpaired surrogate).
QString unfitCharacters(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x20 && c != mark::Tab && c != mark::LineBreak)
            return QStringLiteral("Il testo sostitutivo contiene caratteri che non possono stare "
                                  "in un paragrafo.");
        const bool paired = c.isHighSurrogate()
                                ? i + 1 < text.size() && text[i + 1].isLowSurrogate()
                                : !c.isLowSurrogate() || (i > 0 && text[i - 1].isHighSurrogate());
        if (c.unicode() >= 0xFFFE || !paired)
            return QStringLiteral("Il testo sostitutivo contiene il carattere U+%1, che un "
                                  "documento non può contenere.")
                .arg(QString::number(c.unicode(), 16).toUpper());
    }
    return {};
}

} // namespace

// Every position within an int, whatever a part unfolds to.
static_assert(Story::kTextAllowance + Story::kTextPerXmlByte * Package::kMaxPartSize <= INT_MAX);

Story::~Story() {
    m_part.storyText -= m_built;
    Spares<QString>::give(std::move(m_text));
    Spares<std::vector<Segment>>::give(std::move(m_segments));
}

qsizetype Story::textLimit() const {
    return kTextAllowance + kTextPerXmlByte * m_part.byteSize();
}

void Story::append(SegmentKind kind, pugi::xml_node node, const QString& shown,
                   const Scope& scope) {
    if (shown.isEmpty())
        return;
    m_built += shown.size();
    m_part.storyText += shown.size();
    if (m_part.storyText > textLimit())
        damagedPart(m_part.documentPath(), m_part.name(),
                    QStringLiteral("si espande in un testo troppo lungo per la sua dimensione"));
    m_segments.push_back({length(), static_cast<int>(shown.size()), kind, node, scope});
    m_text += shown;
}

void Story::reserveWholePart() {
    constexpr qsizetype kLargestReserved = 32 << 20; // a huge part's story grows as it is read
    m_text = Spares<QString>::take(std::min(m_part.shownAtMost(), kLargestReserved));
    m_segments = Spares<std::vector<Segment>>::take(m_part.nodeCount());
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

void Story::checkAll(const std::vector<Replacement>& edits, std::size_t* refused) const {
    qsizetype grown = length();
    int previousEnd = 0;
    for (const Replacement& edit : edits) {
        if (refused)
            *refused = static_cast<std::size_t>(&edit - edits.data());
        if (const QString why = unfitCharacters(edit.text); !why.isEmpty())
            refuse(why);
        check(edit.from, edit.to);
        if (edit.from < previousEnd)
            refuse(QStringLiteral("Le modifiche del testo si sovrappongono (%1-%2).")
                       .arg(edit.from)
                       .arg(previousEnd));
        previousEnd = edit.to;
        grown += edit.text.size() - (edit.to - edit.from);
    }
    if (grown > textLimit())
        refuse(QStringLiteral("Il testo della parte '%1' supererebbe il limite di %2 caratteri.")
                   .arg(m_part.name())
                   .arg(textLimit()));
}

void Story::check(const std::vector<Replacement>& edits, std::size_t* refused) const {
    checkAll(edits, refused);
    if (m_twin) {
        if (refused)
            *refused = 0;
        if (m_twin->m_text != m_text)
            refuse(QStringLiteral("Le due copie della casella di testo non coincidono."));
        m_twin->checkAll(edits, refused);
    }
}

void Story::apply(const std::vector<Replacement>& edits) {
    edit(edits);
    if (m_twin)
        m_twin->edit(edits);
}

Story::Landing Story::land(const Replacement& edit) {
    const std::size_t first =
        edit.from == edit.to ? insertionSegment(edit.from) : segmentAt(edit.from);
    const std::size_t last = edit.from == edit.to ? first : segmentAt(edit.to - 1);
    // A run of spaces cut by the range becomes plain text, which the encoder writes back.
    for (const std::size_t k : {first, last}) {
        Segment& cut = m_segments[k];
        if (cut.kind == SegmentKind::Spaces && (cut.start < edit.from || cut.end() > edit.to)) {
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
    return {first, last, target, target > last};
}

// One pass over the segments: those no edit lands on are kept (shifted), those an edit covers
// whole are removed, the text segments of a range are written anew with what the edits leave
// and add, and so is each neighbour whose white space collapsed against what changed before it.
void Story::edit(const std::vector<Replacement>& edits) {
    m_part.modified = true;
    std::vector<Landing> landings;
    landings.reserve(edits.size());
    qsizetype grown = length();
    for (const Replacement& edit : edits) {
        landings.push_back(land(edit));
        grown += edit.text.size() - (edit.to - edit.from);
    }
    QString text = Spares<QString>::take(grown);
    auto segments = Spares<std::vector<Segment>>::take(
        static_cast<qsizetype>(m_segments.size() + edits.size()));
    const auto write = [&](const Segment& old, const QString& content) {
        int cursor = static_cast<int>(text.size());
        for (Segment piece :
             m_encoder.write(old, content, text.isEmpty() ? QChar() : text.back())) {
            piece.start = cursor;
            piece.scope = old.scope;
            cursor += piece.length;
            segments.push_back(piece);
        }
        text += content;
    };
    std::size_t lo = 0;
    bool rewritten = false; // the segment before was written anew
    for (std::size_t k = 0; k < m_segments.size(); ++k) {
        const Segment& old = m_segments[k];
        const QStringView shown = QStringView(m_text).mid(old.start, old.length);
        while (lo < landings.size() && landings[lo].last < k)
            ++lo;
        std::size_t hi = lo;
        while (hi < landings.size() && landings[hi].first <= k)
            ++hi;
        if (lo == hi) {
            rewritten =
                rewritten && old.kind == SegmentKind::Text && m_encoder.dependsOnPrevious(old);
            if (rewritten) {
                write(old, shown.toString());
            } else {
                segments.push_back(old);
                segments.back().start = static_cast<int>(text.size());
                text += shown;
            }
            continue;
        }
        rewritten = true;
        QString content;
        int kept = 0;
        for (std::size_t e = lo; e < hi; ++e) {
            if (landings[e].created && landings[e].first == k) {
                Segment created = old;
                created.node = m_encoder.newTextBefore(old.node);
                created.kind = SegmentKind::Text;
                write(created, edits[e].text);
            }
            const int keepLeft = std::clamp(edits[e].from - old.start, kept, old.length);
            content += shown.mid(kept, keepLeft - kept);
            if (!landings[e].created && landings[e].target == k)
                content += edits[e].text;
            kept = std::clamp(edits[e].to - old.start, keepLeft, old.length);
        }
        if (old.kind != SegmentKind::Text) {
            old.node.parent().remove_child(old.node); // covered whole
            continue;
        }
        write(old, content += shown.mid(kept));
    }
    Spares<QString>::give(std::exchange(m_text, std::move(text)));
    Spares<std::vector<Segment>>::give(std::exchange(m_segments, std::move(segments)));
}

} // namespace K7X_DoruVevuzu::documents
