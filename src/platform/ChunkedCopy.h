#pragma once

#include "platform/FileCopy.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace tw::platform {

// Moves the bytes of one open file to the end of another in chunks of copyChunkBytes,
// inside the kernel (copy_file_range) where it can, else through a buffer of at most one
// chunk, and calls the progress after each chunk.
class ChunkedCopy {
public:
    enum class Outcome { Done, Cancelled, Failed };

    // total: the source's size when it was opened; the copy stops there, and fails with
    // sourceShrankError when the file ends before.
    ChunkedCopy(int in, int out, std::uint64_t total, const CopyProgress& progress);

    // Exceptions from the progress callback pass through.
    Outcome run();

    int errorNumber() const { return m_errorNumber; }
    std::uint64_t bytesDone() const { return m_done; }

private:
    std::optional<std::uint64_t> kernelChunk();
    std::optional<std::uint64_t> bufferedChunk();
    bool writeAll(const char* data, std::size_t size);
    std::nullopt_t fail(int errorNumber);

    int m_in;
    int m_out;
    std::uint64_t m_total;
    std::uint64_t m_done = 0;
    const CopyProgress& m_progress;
    bool m_kernelCopy = true;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_bufferSize = 0;
    int m_errorNumber = 0;
};

} // namespace tw::platform
