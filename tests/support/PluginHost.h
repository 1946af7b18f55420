// A small host for tests: loads a built plug-in library (dlopen or LoadLibrary), calls its entry
// point and delivers requests by handle, as the real host does.
#pragma once

#include <zeph/client/Variant.h>
#include <zeph/forms/Types.h>

#include <cstdint>
#include <string>

namespace zeph::testing {

enum class Edition { Full, Basic };

// The path of the built plug-in library of an edition.
std::string PluginPath(Edition edition);

class PluginHost {
public:
    explicit PluginHost(Edition edition = Edition::Full);
    explicit PluginHost(const std::string& libraryPath);
    ~PluginHost(); // unloads the library
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    std::uint32_t ShowMorvane(std::uint32_t applicationHandle);
    // Delivers Input to the window that ShowMorvane returned last; errors reach the caller.
    Variant Call(const Variant& input);
    void Call(const Variant& input, Variant& output);
    // Input [word, args...] of texts.
    Variant CallWords(std::initializer_list<std::string> words);

    std::uint32_t MainHandle() const noexcept { return mainHandle_; }
    void Unload();

private:
    void* library_ = nullptr;
    std::uint32_t (*showMorvane_)(std::uint32_t) = nullptr;
    std::uint32_t mainHandle_ = 0;
};

} // namespace zeph::testing
