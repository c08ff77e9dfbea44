// FileSink: the target a new archive is written into by libzip: a descriptor given when the
// writing starts, filled through a buffer of 64 KiB, so that each entry costs a write or two
// however small the pieces libzip hands over, and the seek back to rewrite an entry's local header
// once its data is written mostly lands in the buffer still. Keeps the system's error of a failed
// write, so that a full disk is told from an old entry that cannot be read. Owned by the libzip
// source that source() makes, and freed with it. One thread at a time.
#pragma once

#include <zip.h>

#include <cstdint>
#include <vector>

namespace K7X_DoruVevuzu::documents {

class FileSink {
public:
    // A new source writing into a FileSink, which `made` points to; null when no memory could be
    // had for it.
    static zip_source_t* source(FileSink*& made, zip_error_t* error);

    void setFile(int fd) { m_fd = fd; } // an empty file; -1 refuses the writing
    int writeError() const { return m_writeError; }

private:
    static zip_int64_t callback(void* state, void* data, zip_uint64_t length,
                                zip_source_cmd_t command);
    zip_int64_t write(const char* data, zip_uint64_t length);
    zip_int64_t seek(void* data, zip_uint64_t length);
    bool flush();
    zip_int64_t failed(int zipError, int systemError);

    int m_fd = -1;
    int m_writeError = 0;
    zip_error_t m_error{};
    std::vector<char> m_buffer; // the file's bytes from m_bufferAt on, not written yet
    std::uint64_t m_bufferAt = 0;
    std::uint64_t m_at = 0;  // where the next write goes
    std::uint64_t m_end = 0; // the file's length so far
};

} // namespace K7X_DoruVevuzu::documents
