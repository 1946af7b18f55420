// Loading a shared library and finding an export in it, as the operating system does it.
#pragma once

#include <string>

namespace zeph::emulator::detail {

// The loaded library (path in the file system's encoding), or nullptr with the system's reason
// in error.
void* OpenLibrary(const std::string& path, std::string& error);
// The address of the export, or nullptr.
void* FindExport(void* library, const char* name);
void CloseLibrary(void* library);

} // namespace zeph::emulator::detail
