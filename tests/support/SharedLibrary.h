// Loads a shared library and finds its symbols: dlopen on POSIX, LoadLibrary on Windows.
#pragma once

#include <string>

namespace zeph::testing {

// The loaded library, or null with the system's reason in `error`.
void* OpenLibrary(const std::string& path, std::string& error);
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);

} // namespace zeph::testing
