// A small DLL for the toolchain test: what crosses its boundary in both directions.
#pragma once

#include <string>

#define PROBE_API __declspec(dllimport)
// CMake defines toolchain_probe_EXPORTS while it builds the DLL.
#ifdef toolchain_probe_EXPORTS
#undef PROBE_API
#define PROBE_API __declspec(dllexport)
#endif

// Throws std::runtime_error carrying the text, from inside the DLL.
PROBE_API void ProbeThrow(const std::string& text);
// A string allocated in the DLL, freed by the caller.
PROBE_API std::string ProbeRepeat(const std::string& text, int times);
// Counts to n on as many std::threads, each adding one under a mutex; returns the total.
PROBE_API long ProbeCountOnThreads(int threads, int n);
