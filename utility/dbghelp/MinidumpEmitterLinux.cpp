#include "MinidumpEmitterLinux.h"

#include "DumpOutputLinux.h"
#include "MinidumpStringLinux.h"

#include <time.h>

#include <cstring>

namespace dbghelp {

namespace {

constexpr size_t StreamCapacity = 10;

// Offsets found by the counting pass, used by the writing pass.
struct Layout {
    uint32_t streamCount;
    uint32_t streamType[StreamCapacity];
    uint32_t streamRva[StreamCapacity];
    uint32_t streamSize[StreamCapacity];
    uint32_t systemTextRva;
    uint32_t contextRva[ThreadCapacity];
    uint32_t nameRva[ModuleCapacity];
    uint32_t buildIdRva[ModuleCapacity];
    uint32_t rangeRva[RangeCapacity];
};

Layout layout;

template <typename T>
void Put(DumpOutput& out, const T& value) {
    out.Write(&value, sizeof value);
}

class Streams {
public:
    Streams(DumpOutput& out) : m_out(out) {}
    void Begin(uint32_t type) {
        m_out.Align(8);
        layout.streamType[m_count] = type;
        layout.streamRva[m_count] = static_cast<uint32_t>(m_out.Offset());
    }
    void End() {
        layout.streamSize[m_count] =
            static_cast<uint32_t>(m_out.Offset() - layout.streamRva[m_count]);
        ++m_count;
    }
    void Raw(uint32_t type, const TextBlock& block) {
        if (block.size == 0) {
            return;
        }
        Begin(type);
        m_out.Write(block.data, block.size);
        End();
    }
    uint32_t Count() const { return m_count; }

private:
    DumpOutput& m_out;
    uint32_t m_count = 0;
};

format::MemoryDescriptor StackDescriptor(const ProcessSnapshot& snapshot, size_t thread) {
    const MemoryRange& stack = snapshot.stacks[thread];
    format::MemoryDescriptor descriptor{};
    for (size_t r = 0; r < snapshot.rangeCount && stack.size != 0; ++r) {
        const MemoryRange& range = snapshot.ranges[r];
        if (stack.start >= range.start && stack.start + stack.size <= range.start + range.size) {
            descriptor.startOfMemoryRange = stack.start;
            descriptor.memory.dataSize = static_cast<uint32_t>(stack.size);
            descriptor.memory.rva =
                layout.rangeRva[r] + static_cast<uint32_t>(stack.start - range.start);
            break;
        }
    }
    return descriptor;
}

void Emit(DumpOutput& out, const ProcessSnapshot& snapshot) {
    const ThreadStopper& threads = *snapshot.threads;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const format::Header header{format::HeaderSignature,
                                format::HeaderVersion,
                                layout.streamCount,
                                sizeof(format::Header),
                                0,
                                static_cast<uint32_t>(now.tv_sec),
                                0};
    Put(out, header);
    // The directory has a fixed room, so both passes lay out the same offsets.
    for (uint32_t k = 0; k < StreamCapacity; ++k) {
        format::Directory entry{};
        if (k < layout.streamCount) {
            entry = {layout.streamType[k], {layout.streamSize[k], layout.streamRva[k]}};
        }
        Put(out, entry);
    }
    Streams streams(out);

    out.Align(8);
    layout.systemTextRva = static_cast<uint32_t>(out.Offset());
    WriteMinidumpString(out, snapshot.systemText, snapshot.systemTextLength);
    streams.Begin(format::SystemInfoStream);
    format::SystemInfo system = snapshot.system;
    system.csdVersionRva = layout.systemTextRva;
    Put(out, system);
    streams.End();

    streams.Begin(format::MiscInfoStream);
    const format::MiscInfo misc{
        sizeof(format::MiscInfo), format::MiscInfoProcessId, snapshot.processId, 0, 0, 0};
    Put(out, misc);
    streams.End();

    size_t exceptionThread = threads.Count();
    for (size_t i = 0; i < threads.Count(); ++i) {
        out.Align(16);
        layout.contextRva[i] = static_cast<uint32_t>(out.Offset());
        const ThreadRecord& thread = threads.At(i);
        if (thread.hasContext) {
            Put(out, thread.context);
        } else {
            format::ContextAmd64Data empty{};
            empty.contextFlags = format::ContextAmd64;
            Put(out, empty);
        }
        if (thread.tid == snapshot.exceptionTid) {
            exceptionThread = i;
        }
    }

    if (snapshot.signalInfo != nullptr) {
        streams.Begin(format::ExceptionStream);
        format::ExceptionStreamData exception{};
        exception.threadId = static_cast<uint32_t>(snapshot.exceptionTid);
        // Linux convention: the signal as the code, si_code as the flags, si_addr as address.
        exception.exceptionRecord.exceptionCode = static_cast<uint32_t>(snapshot.signalNumber);
        exception.exceptionRecord.exceptionFlags =
            static_cast<uint32_t>(snapshot.signalInfo->si_code);
        exception.exceptionRecord.exceptionAddress =
            reinterpret_cast<uint64_t>(snapshot.signalInfo->si_addr);
        if (exceptionThread < threads.Count()) {
            exception.threadContext = {sizeof(format::ContextAmd64Data),
                                       layout.contextRva[exceptionThread]};
        }
        Put(out, exception);
        streams.End();
    }

    streams.Begin(format::ThreadListStream);
    const uint32_t threadCount = static_cast<uint32_t>(threads.Count());
    Put(out, threadCount);
    for (size_t i = 0; i < threads.Count(); ++i) {
        format::Thread thread{};
        thread.threadId = static_cast<uint32_t>(threads.At(i).tid);
        thread.stack = StackDescriptor(snapshot, i);
        thread.threadContext = {sizeof(format::ContextAmd64Data), layout.contextRva[i]};
        Put(out, thread);
    }
    streams.End();

    for (size_t m = 0; m < snapshot.moduleCount; ++m) {
        const ModuleRecord& module = snapshot.modules[m];
        out.Align(4);
        layout.nameRva[m] = static_cast<uint32_t>(out.Offset());
        WriteMinidumpString(out, module.path, module.pathLength);
        out.Align(4);
        layout.buildIdRva[m] = static_cast<uint32_t>(out.Offset());
        if (module.buildIdLength != 0) {
            Put(out, format::CvSignatureElfBuildId);
            out.Write(module.buildId, module.buildIdLength);
        }
    }
    streams.Begin(format::ModuleListStream);
    const uint32_t moduleCount = static_cast<uint32_t>(snapshot.moduleCount);
    Put(out, moduleCount);
    for (size_t m = 0; m < snapshot.moduleCount; ++m) {
        const ModuleRecord& record = snapshot.modules[m];
        format::Module module{};
        module.baseOfImage = record.base;
        module.sizeOfImage =
            record.size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(record.size);
        module.moduleNameRva = layout.nameRva[m];
        if (record.buildIdLength != 0) {
            module.cvRecord = {static_cast<uint32_t>(4 + record.buildIdLength),
                               layout.buildIdRva[m]};
        }
        Put(out, module);
    }
    streams.End();

    streams.Begin(format::MemoryListStream);
    const uint32_t rangeCount = static_cast<uint32_t>(snapshot.rangeCount);
    Put(out, rangeCount);
    for (size_t r = 0; r < snapshot.rangeCount; ++r) {
        const format::MemoryDescriptor descriptor{
            snapshot.ranges[r].start,
            {static_cast<uint32_t>(snapshot.ranges[r].size), layout.rangeRva[r]}};
        Put(out, descriptor);
    }
    streams.End();
    for (size_t r = 0; r < snapshot.rangeCount; ++r) {
        out.Align(16);
        layout.rangeRva[r] = static_cast<uint32_t>(out.Offset());
        out.OwnMemory(snapshot.ranges[r].start, snapshot.ranges[r].size);
    }

    streams.Raw(format::LinuxProcStatusStream, snapshot.status);
    streams.Raw(format::LinuxCmdLineStream, snapshot.cmdline);
    streams.Raw(format::LinuxAuxvStream, snapshot.auxv);
    streams.Raw(format::LinuxMapsStream, snapshot.maps);
    layout.streamCount = streams.Count();
}

} // namespace

int WriteMinidump(const ProcessSnapshot& snapshot, int file, const DumpDeadline& deadline) {
    std::memset(&layout, 0, sizeof layout);
    DumpOutput counting;
    Emit(counting, snapshot);
    DumpOutput writing(file, &deadline);
    Emit(writing, snapshot);
    writing.Finish();
    return writing.Error();
}

} // namespace dbghelp
