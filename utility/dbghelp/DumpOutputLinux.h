#pragma once

// Where the dump's bytes go. The same emitting code runs twice: first against a counting sink
// that only lays the file out (every offset is known before a byte is written, so the dump is
// written front to back and also works on a pipe), then against the file. Writes are buffered
// in a fixed buffer and go out with write(2); nothing allocates.

#include "DumpDeadlineLinux.h"

#include <cstddef>
#include <cstdint>

namespace dbghelp {

class DumpOutput {
public:
    // Counting only.
    DumpOutput() = default;
    // Writing to file, bounded by deadline.
    DumpOutput(int file, const DumpDeadline* deadline);

    void Write(const void* data, size_t size);
    void Zeros(size_t size);
    // Pads with zeros to a multiple of alignment.
    void Align(size_t alignment);
    // Copies the process's own memory; what cannot be read is written as zeros.
    void OwnMemory(uint64_t address, size_t size);
    // Sends what is buffered; false when anything failed (then Error() is the errno).
    bool Finish();

    uint64_t Offset() const { return m_offset; }
    bool Failed() const { return m_error != 0; }
    int Error() const { return m_error; }

private:
    void Flush();

    int m_file = -1;
    const DumpDeadline* m_deadline = nullptr;
    uint64_t m_offset = 0;
    size_t m_buffered = 0;
    int m_error = 0;
};

} // namespace dbghelp
