#pragma once

// Writes a snapshot as a minidump: header and stream directory; system and process
// information; the exception; the threads with their registers and stacks; the modules with
// their build ids; the memory list; the process's status, command line, auxiliary vector and
// memory map.

#include "DumpDeadlineLinux.h"
#include "ProcessSnapshotLinux.h"

namespace dbghelp {

// 0 on success, else the errno of the failure (ETIMEDOUT when the time limit ran out).
int WriteMinidump(const ProcessSnapshot& snapshot, int file, const DumpDeadline& deadline);

} // namespace dbghelp
