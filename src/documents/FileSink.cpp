#include "documents/FileSink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace K7X_DoruVevuzu::documents {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

} // namespace

zip_source_t* FileSink::source(FileSink*& made, zip_error_t* error) {
    auto* sink = new FileSink;
    zip_source_t* source = zip_source_function_create(callback, sink, error);
    if (!source)
        delete sink;
    made = source ? sink : nullptr;
    return source;
}

zip_int64_t FileSink::callback(void* state, void* data, zip_uint64_t length,
                               zip_source_cmd_t command) {
    auto* sink = static_cast<FileSink*>(state);
    switch (command) {
    case ZIP_SOURCE_STAT: { // an empty file, there to be written over
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &sink->m_error);
        if (!stat)
            return -1;
        zip_stat_init(stat);
        stat->valid = ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_BEGIN_WRITE:
        if (sink->m_fd < 0)
            return sink->failed(ZIP_ER_OPEN, EBADF);
        sink->m_buffer.clear();
        sink->m_buffer.reserve(kBufferSize);
        sink->m_bufferAt = sink->m_at = sink->m_end = 0;
        return 0;
    case ZIP_SOURCE_WRITE:
        return sink->write(static_cast<const char*>(data), length);
    case ZIP_SOURCE_SEEK_WRITE:
        return sink->seek(data, length);
    case ZIP_SOURCE_TELL_WRITE:
        return static_cast<zip_int64_t>(sink->m_at);
    case ZIP_SOURCE_COMMIT_WRITE:
        return sink->flush() ? 0 : -1;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&sink->m_error, data, length);
    case ZIP_SOURCE_FREE:
        delete sink;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_BEGIN_WRITE,
            ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE,
            ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    default: // reading the empty file, a rollback, a removal: nothing to do
        return 0;
    }
}

zip_int64_t FileSink::write(const char* data, zip_uint64_t length) {
    if (m_at < m_bufferAt || m_at > m_bufferAt + m_buffer.size()) { // a seek outside the buffer
        if (!flush())
            return -1;
        m_bufferAt = m_at;
    }
    for (zip_uint64_t left = length; left > 0;) {
        auto offset = static_cast<std::size_t>(m_at - m_bufferAt);
        if (offset == kBufferSize) {
            if (!flush())
                return -1;
            m_bufferAt = m_at;
            offset = 0;
        }
        const std::size_t count = std::min<zip_uint64_t>(left, kBufferSize - offset);
        if (offset + count > m_buffer.size())
            m_buffer.resize(offset + count);
        std::memcpy(m_buffer.data() + offset, data, count);
        data += count;
        left -= count;
        m_at += count;
    }
    m_end = std::max(m_end, m_at);
    return static_cast<zip_int64_t>(length);
}

zip_int64_t FileSink::seek(void* data, zip_uint64_t length) {
    auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &m_error);
    if (!args)
        return -1;
    const std::int64_t base = args->whence == SEEK_SET   ? 0
                              : args->whence == SEEK_CUR ? static_cast<std::int64_t>(m_at)
                                                         : static_cast<std::int64_t>(m_end);
    if (base + args->offset < 0)
        return failed(ZIP_ER_INVAL, 0);
    m_at = static_cast<std::uint64_t>(base + args->offset);
    return 0;
}

bool FileSink::flush() {
    const char* data = m_buffer.data();
    std::size_t left = m_buffer.size();
    auto at = static_cast<off_t>(m_bufferAt);
    while (left > 0) {
        const ssize_t written = ::pwrite(m_fd, data, left, at);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failed(ZIP_ER_WRITE, written < 0 ? errno : ENOSPC);
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
        at += written;
    }
    m_buffer.clear();
    return true;
}

zip_int64_t FileSink::failed(int zipError, int systemError) {
    if (zipError == ZIP_ER_WRITE || zipError == ZIP_ER_OPEN)
        m_writeError = systemError;
    zip_error_set(&m_error, zipError, systemError);
    return -1;
}

} // namespace K7X_DoruVevuzu::documents
