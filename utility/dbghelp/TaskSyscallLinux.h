#pragma once

// /proc/<pid>/task/<tid>/syscall: for a thread blocked in the kernel, its stack pointer and
// instruction pointer. The fallback for a thread that did not stop on request.

#include <cstddef>
#include <cstdint>

namespace dbghelp {

// "nr arg1 .. arg6 sp pc" or "-1 sp pc"; false for "running" or anything else.
bool ParseTaskSyscall(const char* text, size_t length, uint64_t& stackPointer,
                      uint64_t& instructionPointer);

} // namespace dbghelp
