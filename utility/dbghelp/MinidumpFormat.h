#pragma once

// The minidump file format as publicly documented (MINIDUMP_HEADER, MINIDUMP_DIRECTORY and the
// stream structures), plus the Linux stream types and the ELF build-id CodeView signature that
// debuggers reading Linux minidumps understand. All fields little-endian, as on x86-64.

#include <cstdint>

namespace dbghelp::format {

constexpr uint32_t HeaderSignature = 0x504d444d; // "MDMP"
constexpr uint32_t HeaderVersion = 0xa793;

enum StreamType : uint32_t {
    ThreadListStream = 3,
    ModuleListStream = 4,
    MemoryListStream = 5,
    ExceptionStream = 6,
    SystemInfoStream = 7,
    MiscInfoStream = 15,
    LinuxProcStatusStream = 0x47670003,
    LinuxCmdLineStream = 0x47670006,
    LinuxAuxvStream = 0x47670008,
    LinuxMapsStream = 0x47670009,
};

struct LocationDescriptor {
    uint32_t dataSize;
    uint32_t rva;
};

struct Header {
    uint32_t signature;
    uint32_t version;
    uint32_t numberOfStreams;
    uint32_t streamDirectoryRva;
    uint32_t checkSum;
    uint32_t timeDateStamp;
    uint64_t flags;
};

struct Directory {
    uint32_t streamType;
    LocationDescriptor location;
};

struct MemoryDescriptor {
    uint64_t startOfMemoryRange;
    LocationDescriptor memory;
};

struct Thread {
    uint32_t threadId;
    uint32_t suspendCount;
    uint32_t priorityClass;
    uint32_t priority;
    uint64_t teb;
    MemoryDescriptor stack;
    LocationDescriptor threadContext;
};

struct FixedFileInfo {
    uint32_t fields[13];
};

// Packed to four bytes in the format: BaseOfImage is the only eight-byte field before the end.
#pragma pack(push, 4)
struct Module {
    uint64_t baseOfImage;
    uint32_t sizeOfImage;
    uint32_t checkSum;
    uint32_t timeDateStamp;
    uint32_t moduleNameRva;
    FixedFileInfo versionInfo;
    LocationDescriptor cvRecord;
    LocationDescriptor miscRecord;
    uint64_t reserved0;
    uint64_t reserved1;
};
#pragma pack(pop)

constexpr uint16_t ProcessorArchitectureAmd64 = 9;
constexpr uint32_t PlatformIdLinux = 0x8201;

struct SystemInfo {
    uint16_t processorArchitecture;
    uint16_t processorLevel;
    uint16_t processorRevision;
    uint8_t numberOfProcessors;
    uint8_t productType;
    uint32_t majorVersion;
    uint32_t minorVersion;
    uint32_t buildNumber;
    uint32_t platformId;
    uint32_t csdVersionRva;
    uint16_t suiteMask;
    uint16_t reserved2;
    uint32_t vendorId[3];
    uint32_t versionInformation;
    uint32_t featureInformation;
    uint32_t amdExtendedCpuFeatures;
};

constexpr uint32_t MiscInfoProcessId = 0x1;

struct MiscInfo {
    uint32_t sizeOfInfo;
    uint32_t flags1;
    uint32_t processId;
    uint32_t processCreateTime;
    uint32_t processUserTime;
    uint32_t processKernelTime;
};

struct ExceptionRecord {
    uint32_t exceptionCode;
    uint32_t exceptionFlags;
    uint64_t exceptionRecord;
    uint64_t exceptionAddress;
    uint32_t numberParameters;
    uint32_t unusedAlignment;
    uint64_t exceptionInformation[15];
};

struct ExceptionStreamData {
    uint32_t threadId;
    uint32_t alignment;
    ExceptionRecord exceptionRecord;
    LocationDescriptor threadContext;
};

// CONTEXT_AMD64.
constexpr uint32_t ContextAmd64 = 0x00100000;
constexpr uint32_t ContextControl = ContextAmd64 | 0x1;
constexpr uint32_t ContextInteger = ContextAmd64 | 0x2;
constexpr uint32_t ContextSegments = ContextAmd64 | 0x4;
constexpr uint32_t ContextFloatingPoint = ContextAmd64 | 0x8;

struct Uint128 {
    uint64_t low;
    uint64_t high;
};

struct ContextAmd64Data {
    uint64_t homes[6];
    uint32_t contextFlags;
    uint32_t mxCsr;
    uint16_t cs, ds, es, fs, gs, ss;
    uint32_t eflags;
    uint64_t dr0, dr1, dr2, dr3, dr6, dr7;
    uint64_t rax, rcx, rdx, rbx, rsp, rbp, rsi, rdi;
    uint64_t r8, r9, r10, r11, r12, r13, r14, r15;
    uint64_t rip;
    uint8_t floatSave[512]; // the FXSAVE image
    Uint128 vectorRegister[26];
    uint64_t vectorControl;
    uint64_t debugControl;
    uint64_t lastBranchToRip;
    uint64_t lastBranchFromRip;
    uint64_t lastExceptionToRip;
    uint64_t lastExceptionFromRip;
};

// CodeView record carrying an ELF build id: "LEpB" in file order, then the id's bytes.
constexpr uint32_t CvSignatureElfBuildId = 0x4270454c;

static_assert(sizeof(Header) == 32);
static_assert(sizeof(Directory) == 12);
static_assert(sizeof(MemoryDescriptor) == 16);
static_assert(sizeof(Thread) == 48);
static_assert(sizeof(Module) == 108);
static_assert(sizeof(SystemInfo) == 56);
static_assert(sizeof(MiscInfo) == 24);
static_assert(sizeof(ExceptionStreamData) == 168);
static_assert(sizeof(ContextAmd64Data) == 1232);

} // namespace dbghelp::format
