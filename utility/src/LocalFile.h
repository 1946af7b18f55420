#pragma once

// Reading local files, for the digest and the upload. A file is the platform's handle as an
// int; -1 is none.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tollund::detail {

// Opens a file for reading without sharing it: a file that another holder has locked (a log
// being written) is refused. -1 on failure.
int OpenUnshared(const std::string& path);

// Opens a regular file for reading and gives its length; -1 for a missing file and for
// anything that has no length to declare (a folder, a FIFO).
int OpenRegular(const std::string& path, uint64_t& size);

// Reads up to length bytes; the number read, 0 at the end, negative on failure.
long long ReadSome(int file, void* buffer, size_t length);

void CloseLocalFile(int file);

// An open local file, closed with its owner.
class LocalFile {
public:
    explicit LocalFile(int file) : m_file(file) {}
    ~LocalFile() {
        if (m_file >= 0) {
            CloseLocalFile(m_file);
        }
    }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;
    int Get() const { return m_file; }

private:
    int m_file;
};

} // namespace tollund::detail
