// Spares: the large buffers a worker thread keeps from one document to the next (a part's XML,
// a story's text and index, the new XML, the deflated bytes), so that the next document writes
// into memory the thread already has. Freed, that memory goes back to the system after each
// document and the next one faults it in again, page by page; kept, the first document of a
// fresh process is the only one that pays for it.
//
// Only a thread inside a Spares::Keeping scope keeps anything (the document update's workers,
// for the update's life); on any other thread take() makes a new buffer and give() frees it, so
// a host's own threads never hold memory for the component. A thread keeps at most kKept buffers
// of each kind, the largest it was given, none over kLargestKept bytes (the parts of a report
// ten times the usual size come and go as before: their time is in the work, not the faults);
// all go when its scope ends. The buffers are the thread's own: no locking.
#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <vector>

namespace K7X_DoruVevuzu::documents {

template <typename Buffer> class Spares {
public:
    static constexpr std::size_t kKept = 8;
    static constexpr qsizetype kLargestKept = 8 << 20;

    // While one exists, this thread keeps what it is given.
    class Keeping {
    public:
        Keeping() { s_kept = &m_buffers; }
        ~Keeping() { s_kept = nullptr; }
        Keeping(const Keeping&) = delete;
        Keeping& operator=(const Keeping&) = delete;

    private:
        std::vector<Buffer> m_buffers;
    };

    // An empty buffer with room for `room` elements: the smallest spare that has it, else the
    // largest, else a new one.
    static Buffer take(qsizetype room) {
        Buffer buffer;
        if (s_kept && !s_kept->empty()) {
            auto pick = std::min_element(s_kept->begin(), s_kept->end(), [room](auto& a, auto& b) {
                const bool aFits = capacity(a) >= room, bFits = capacity(b) >= room;
                return aFits != bFits
                           ? aFits
                           : (aFits ? capacity(a) < capacity(b) : capacity(a) > capacity(b));
            });
            buffer = std::move(*pick);
            s_kept->erase(pick);
        }
        buffer.resize(0); // keeps its memory
        buffer.reserve(room);
        return buffer;
    }
    // A buffer of `size` elements to be written over, as take() finds it.
    static Buffer sized(qsizetype size) {
        Buffer buffer = take(size);
        buffer.resize(size);
        return buffer;
    }
    // Keeps `buffer`'s memory for a later take() on this thread, or frees it.
    static void give(Buffer&& buffer) {
        const qsizetype bytes =
            capacity(buffer) * static_cast<qsizetype>(sizeof(typename Buffer::value_type));
        if (!s_kept || bytes == 0 || bytes > kLargestKept)
            return Buffer().swap(buffer);
        s_kept->push_back(std::move(buffer));
        if (s_kept->size() > kKept) {
            const auto smallest =
                std::min_element(s_kept->begin(), s_kept->end(),
                                 [](auto& a, auto& b) { return capacity(a) < capacity(b); });
            s_kept->erase(smallest);
        }
    }

private:
    static qsizetype capacity(const Buffer& buffer) {
        return static_cast<qsizetype>(buffer.capacity());
    }
    static inline thread_local std::vector<Buffer>* s_kept = nullptr;
};

} // namespace K7X_DoruVevuzu::documents
