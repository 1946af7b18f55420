#pragma once

// A thread's registers as the kernel hands them to a signal handler, in the CONTEXT_AMD64
// layout of the dump.

#include "MinidumpFormat.h"

#include <ucontext.h>

namespace dbghelp {

void ContextFromSignal(const ucontext_t& signalContext, format::ContextAmd64Data& context);

// Only what a thread blocked in the kernel shows: its stack and instruction pointers.
void ContextFromPointers(uint64_t stackPointer, uint64_t instructionPointer,
                         format::ContextAmd64Data& context);

} // namespace dbghelp
