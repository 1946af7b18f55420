#pragma once

// MINIDUMP_STRING: a 32-bit byte length, then UTF-16LE code units and a terminating zero unit.

#include "DumpOutputLinux.h"

#include <cstddef>

namespace dbghelp {

// Writes text (UTF-8; an invalid byte becomes U+FFFD) as a minidump string.
void WriteMinidumpString(DumpOutput& out, const char* text, size_t length);

} // namespace dbghelp
