#include "DumpOutputLinux.h"

#include "OwnMemoryLinux.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dbghelp {

namespace {

constexpr size_t BufferSize = 256 * 1024;
constexpr size_t PageSize = 4096;
alignas(16) char buffer[BufferSize];

} // namespace

DumpOutput::DumpOutput(int file, const DumpDeadline* deadline)
    : m_file(file), m_deadline(deadline) {}

void DumpOutput::Flush() {
    size_t done = 0;
    while (done < m_buffered && m_error == 0) {
        // Checked before every call: an interrupted write may also return a short count.
        if (m_deadline != nullptr && m_deadline->Expired()) {
            m_error = ETIMEDOUT;
            break;
        }
        const ssize_t written = write(m_file, buffer + done, m_buffered - done);
        if (written > 0) {
            done += static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        m_error = written == 0 ? EIO : errno;
    }
    m_buffered = 0;
}

void DumpOutput::Write(const void* data, size_t size) {
    m_offset += size;
    if (m_file < 0) {
        return;
    }
    const char* from = static_cast<const char*>(data);
    while (size > 0 && m_error == 0) {
        const size_t room = BufferSize - m_buffered;
        const size_t n = size < room ? size : room;
        std::memcpy(buffer + m_buffered, from, n);
        m_buffered += n;
        from += n;
        size -= n;
        if (m_buffered == BufferSize) {
            Flush();
        }
    }
}

void DumpOutput::Zeros(size_t size) {
    static const char zeros[PageSize] = {};
    while (size > 0) {
        const size_t n = size < sizeof zeros ? size : sizeof zeros;
        Write(zeros, n);
        size -= n;
    }
}

void DumpOutput::Align(size_t alignment) {
    const size_t over = static_cast<size_t>(m_offset % alignment);
    if (over != 0) {
        Zeros(alignment - over);
    }
}

void DumpOutput::OwnMemory(uint64_t address, size_t size) {
    if (m_file < 0) {
        m_offset += size;
        return;
    }
    while (size > 0 && m_error == 0) {
        if (m_buffered == BufferSize) {
            Flush();
            continue;
        }
        // Up to the next page boundary at most, so an unreadable page costs only itself.
        const size_t toPage = PageSize - static_cast<size_t>(address % PageSize);
        const size_t room = BufferSize - m_buffered;
        size_t n = size < toPage ? size : toPage;
        n = n < room ? n : room;
        const size_t got = ReadOwnMemory(address, buffer + m_buffered, n);
        std::memset(buffer + m_buffered + got, 0, n - got);
        m_buffered += n;
        m_offset += n;
        address += n;
        size -= n;
    }
}

bool DumpOutput::Finish() {
    if (m_file >= 0 && m_error == 0) {
        Flush();
    }
    return m_error == 0;
}

} // namespace dbghelp
