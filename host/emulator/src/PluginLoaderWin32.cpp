#include "PluginLoader.h"
#include "WideTextWin32.h"

#include <windows.h>

#include <string>

namespace zeph::emulator::detail {
namespace {} // namespace

void* OpenLibrary(const std::string& path, std::string& error) {
    // The DLLs it needs (zephhost.dll) are found in the program's folder, as the system
    // searches it first.
    HMODULE library = LoadLibraryW(Wide(path).c_str());
    if (library == nullptr) {
        error = Reason(GetLastError());
    }
    return reinterpret_cast<void*>(library);
}

void* FindExport(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

} // namespace zeph::emulator::detail
