// The crash filter on Windows: an unhandled-exception filter that loads the debug-help library
// at run time and has its MiniDumpWriteDump write the dump.

#include <tollund/CFunction.h>
#include <tollund/CMiniDumper.h>

// The system headers need windows.h (or winsock2.h) first.
// clang-format off
#include <windows.h>
#include <dbghelp.h>
// clang-format on

#include <cstdio>
#include <string>

namespace {

using WriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                        PMINIDUMP_EXCEPTION_INFORMATION,
                                        PMINIDUMP_USER_STREAM_INFORMATION,
                                        PMINIDUMP_CALLBACK_INFORMATION);

// The executable's file name without its directory, cut before its last dot unless that dot
// comes first.
std::string DumpBaseName() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : 0);
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) {
        name.resize(dot);
    }
    return name;
}

// Local wall-clock time of a file time, in whole seconds, as a comparable number.
ULONGLONG LocalSeconds(const FILETIME& written) {
    FILETIME local{};
    FileTimeToLocalFileTime(&written, &local);
    return ((static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime) /
           10000000ull;
}

// The search starts from 30 December 3000, 00:00.
ULONGLONG SearchBound() {
    SYSTEMTIME bound{};
    bound.wYear = 3000;
    bound.wMonth = 12;
    bound.wDay = 30;
    FILETIME time{};
    SystemTimeToFileTime(&bound, &time);
    return ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000000ull;
}

// The file matching <base>??.dmp with the oldest last-write time; empty when none matches.
std::string OldestDump(const std::string& dir, const std::string& base) {
    const std::string pattern = dir + "\\" + base + "??.dmp";
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string oldest;
    ULONGLONG oldestTime = SearchBound();
    do {
        const ULONGLONG written = LocalSeconds(found.ftLastWriteTime);
        if (written < oldestTime) {
            oldestTime = written;
            oldest = found.cFileName;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return oldest;
}

HMODULE LoadDebugHelp() {
    const std::string beside = CFunction::GetCurrentModuleDir() + "\\DBGHELP.DLL";
    const HMODULE library = LoadLibraryA(beside.c_str());
    return library != nullptr ? library : LoadLibraryA("DBGHELP.DLL");
}

} // namespace

CMiniDumper::CMiniDumper() = default;

void CMiniDumper::SetUnhandledExceptionFilter() {
    // A filter set before is replaced and not called.
    ::SetUnhandledExceptionFilter([](EXCEPTION_POINTERS* pointers) -> LONG {
        ExceptionInfo info{static_cast<int>(pointers->ExceptionRecord->ExceptionCode), pointers,
                           pointers->ContextRecord};
        return TopLevelFilter(&info);
    });
}

void CMiniDumper::GetFileName(int limit, std::string& path) {
    const std::string dir = CFunction::GetCurrentModuleDir();
    const std::string base = DumpBaseName();
    for (int number = 1; number < limit; ++number) {
        char name[MAX_PATH + 32];
        std::snprintf(name, sizeof name, "%s\\%s%02d.dmp", dir.c_str(), base.c_str(), number);
        path = name;
        if (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES) {
            return;
        }
    }
    const std::string oldest = OldestDump(dir, base);
    if (!oldest.empty()) {
        path = dir + "\\" + oldest;
    }
}

int32_t CMiniDumper::TopLevelFilter(ExceptionInfo* info) {
    std::string path;
    GetFileName(10, path);
    const HMODULE library = LoadDebugHelp();
    CFunction::RLog("Program crash.Dump to file: %s", path.c_str());
    if (library == nullptr) {
        CFunction::RLog("Load DBGHELP.DLL Error");
        return 1;
    }
    const auto writeDump = reinterpret_cast<WriteDumpFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "MiniDumpWriteDump")));
    if (writeDump == nullptr) {
        CFunction::RLog("DBGHELP.DLL too old, Not find MiniDumpWriteDump");
        return 1;
    }
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        CFunction::RLog("Failed to create dump file: %s", CFunction::GetLastErrorString().c_str());
        return 1;
    }
    MINIDUMP_EXCEPTION_INFORMATION exception{};
    exception.ThreadId = ::GetCurrentThreadId();
    exception.ExceptionPointers = static_cast<EXCEPTION_POINTERS*>(info->signalInfo);
    exception.ClientPointers = FALSE;
    if (writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, ::MiniDumpNormal, &exception,
                  nullptr, nullptr)) {
        CFunction::RLog("Save to dump file successful.");
    } else {
        CFunction::RLog("Failed to save dump file:%s", CFunction::GetLastErrorString().c_str());
    }
    CloseHandle(file);
    return 1;
}
