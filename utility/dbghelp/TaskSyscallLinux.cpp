#include "TaskSyscallLinux.h"

namespace dbghelp {

namespace {

constexpr int MaxFields = 9;

// A field: decimal (possibly negative) or 0x-prefixed hexadecimal.
bool ParseField(const char* at, const char* end, uint64_t& value) {
    value = 0;
    bool hex = false;
    if (end - at > 2 && at[0] == '0' && at[1] == 'x') {
        hex = true;
        at += 2;
    } else if (at < end && *at == '-') {
        ++at;
    }
    if (at == end || end - at > 16) {
        return false;
    }
    for (; at < end; ++at) {
        const char c = *at;
        uint64_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint64_t>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<uint64_t>(c - 'a' + 10);
        } else {
            return false;
        }
        value = value * (hex ? 16 : 10) + digit;
    }
    return true;
}

} // namespace

bool ParseTaskSyscall(const char* text, size_t length, uint64_t& stackPointer,
                      uint64_t& instructionPointer) {
    uint64_t fields[MaxFields] = {};
    int count = 0;
    const char* end = text + length;
    for (const char* at = text; at < end;) {
        while (at < end && (*at == ' ' || *at == '\n')) {
            ++at;
        }
        const char* fieldEnd = at;
        while (fieldEnd < end && *fieldEnd != ' ' && *fieldEnd != '\n') {
            ++fieldEnd;
        }
        if (fieldEnd == at) {
            break;
        }
        if (count == MaxFields || !ParseField(at, fieldEnd, fields[count])) {
            return false;
        }
        ++count;
        at = fieldEnd;
    }
    if (count != 3 && count != MaxFields) {
        return false;
    }
    stackPointer = fields[count - 2];
    instructionPointer = fields[count - 1];
    return true;
}

} // namespace dbghelp
