#include "ProcessMapsLinux.h"

namespace dbghelp {

namespace {

class LineReader {
public:
    LineReader(const char* at, const char* end) : m_at(at), m_end(end) {}

    bool Hex(uint64_t& value) {
        value = 0;
        int digits = 0;
        while (m_at < m_end) {
            const char c = *m_at;
            int digit = 0;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else {
                break;
            }
            if (++digits > 16) {
                return false;
            }
            value = value << 4 | static_cast<uint64_t>(digit);
            ++m_at;
        }
        return digits > 0;
    }
    bool Decimal(uint64_t& value) {
        value = 0;
        int digits = 0;
        while (m_at < m_end && *m_at >= '0' && *m_at <= '9') {
            if (++digits > 19) {
                return false;
            }
            value = value * 10 + static_cast<uint64_t>(*m_at - '0');
            ++m_at;
        }
        return digits > 0;
    }
    bool Expect(char c) {
        if (m_at < m_end && *m_at == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Blanks() {
        const char* from = m_at;
        while (m_at < m_end && (*m_at == ' ' || *m_at == '\t')) {
            ++m_at;
        }
        return m_at != from;
    }
    bool Take(char& c) {
        if (m_at >= m_end) {
            return false;
        }
        c = *m_at++;
        return true;
    }
    const char* At() const { return m_at; }
    const char* End() const { return m_end; }

private:
    const char* m_at;
    const char* m_end;
};

// "start-end perms offset major:minor inode [path]"
bool ParseLine(const char* begin, const char* end, MapRegion& region) {
    LineReader line(begin, end);
    char perms[4] = {};
    uint64_t major = 0;
    uint64_t minor = 0;
    if (!line.Hex(region.start) || !line.Expect('-') || !line.Hex(region.end) || !line.Blanks()) {
        return false;
    }
    for (char& p : perms) {
        if (!line.Take(p)) {
            return false;
        }
    }
    if (!line.Blanks() || !line.Hex(region.offset) || !line.Blanks() || !line.Hex(major) ||
        !line.Expect(':') || !line.Hex(minor) || !line.Blanks() || !line.Decimal(region.inode)) {
        return false;
    }
    if (region.end <= region.start) {
        return false;
    }
    const bool more = line.Blanks();
    if (line.At() != line.End() && !more) {
        return false; // something glued to the inode
    }
    region.readable = perms[0] == 'r';
    region.writable = perms[1] == 'w';
    region.executable = perms[2] == 'x';
    region.path = line.At();
    region.pathLength = static_cast<size_t>(line.End() - line.At());
    return true;
}

} // namespace

size_t ParseProcessMaps(const char* text, size_t length, MapRegion* regions, size_t capacity) {
    size_t count = 0;
    const char* end = text + length;
    for (const char* at = text; at < end && count < capacity;) {
        const char* lineEnd = at;
        while (lineEnd < end && *lineEnd != '\n') {
            ++lineEnd;
        }
        if (ParseLine(at, lineEnd, regions[count])) {
            ++count;
        }
        at = lineEnd < end ? lineEnd + 1 : end;
    }
    return count;
}

const MapRegion* FindReadableRegion(const MapRegion* regions, size_t count, uint64_t address) {
    for (size_t i = 0; i < count; ++i) {
        if (regions[i].readable && address >= regions[i].start && address < regions[i].end) {
            return &regions[i];
        }
    }
    return nullptr;
}

} // namespace dbghelp
