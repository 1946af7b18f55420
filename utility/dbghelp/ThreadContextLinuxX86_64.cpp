#include "ThreadContextLinuxX86_64.h"

#include <cstring>

namespace dbghelp {

void ContextFromSignal(const ucontext_t& signalContext, format::ContextAmd64Data& context) {
    std::memset(&context, 0, sizeof context);
    const greg_t* r = signalContext.uc_mcontext.gregs;
    const auto reg = [r](int index) { return static_cast<uint64_t>(r[index]); };
    context.contextFlags =
        format::ContextControl | format::ContextInteger | format::ContextSegments;
    context.rax = reg(REG_RAX);
    context.rcx = reg(REG_RCX);
    context.rdx = reg(REG_RDX);
    context.rbx = reg(REG_RBX);
    context.rsp = reg(REG_RSP);
    context.rbp = reg(REG_RBP);
    context.rsi = reg(REG_RSI);
    context.rdi = reg(REG_RDI);
    context.r8 = reg(REG_R8);
    context.r9 = reg(REG_R9);
    context.r10 = reg(REG_R10);
    context.r11 = reg(REG_R11);
    context.r12 = reg(REG_R12);
    context.r13 = reg(REG_R13);
    context.r14 = reg(REG_R14);
    context.r15 = reg(REG_R15);
    context.rip = reg(REG_RIP);
    context.eflags = static_cast<uint32_t>(reg(REG_EFL));
    // cs, gs, fs and (on newer kernels) ss, sixteen bits each.
    const uint64_t segments = reg(REG_CSGSFS);
    context.cs = static_cast<uint16_t>(segments);
    context.gs = static_cast<uint16_t>(segments >> 16);
    context.fs = static_cast<uint16_t>(segments >> 32);
    context.ss = static_cast<uint16_t>(segments >> 48);
    if (signalContext.uc_mcontext.fpregs != nullptr) {
        static_assert(sizeof(*signalContext.uc_mcontext.fpregs) == sizeof context.floatSave);
        std::memcpy(context.floatSave, signalContext.uc_mcontext.fpregs, sizeof context.floatSave);
        context.mxCsr = signalContext.uc_mcontext.fpregs->mxcsr;
        context.contextFlags |= format::ContextFloatingPoint;
    }
}

void ContextFromPointers(uint64_t stackPointer, uint64_t instructionPointer,
                         format::ContextAmd64Data& context) {
    std::memset(&context, 0, sizeof context);
    context.contextFlags = format::ContextControl;
    context.rsp = stackPointer;
    context.rip = instructionPointer;
}

} // namespace dbghelp
