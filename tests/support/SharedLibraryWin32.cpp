#include "support/SharedLibrary.h"

#include <windows.h>

#include <filesystem>

namespace zeph::testing {

void* OpenLibrary(const std::string& path, std::string& error) {
    // The wide path: a test's folders may lie outside the ANSI code page. The altered search
    // path lets a DLL find the DLLs beside it, as the run path does on Linux.
    HMODULE library = LoadLibraryExW(std::filesystem::path(path).make_preferred().c_str(), nullptr,
                                     LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) {
        DWORD code = GetLastError();
        char text[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, sizeof text, nullptr);
        error = path + ": error " + std::to_string(code) + " " + text;
    }
    return reinterpret_cast<void*>(library);
}

void* FindSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

} // namespace zeph::testing
