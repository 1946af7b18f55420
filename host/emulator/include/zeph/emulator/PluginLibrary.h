// A plug-in library loaded as the host loads one: dlopen, then ShowMorvane.
#pragma once

#include <zeph/client/Variant.h>
#include <zeph/forms/Types.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zeph::emulator {

class EPluginError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PluginLibrary {
public:
    // Loads the library (a path, UTF-8) and finds ShowMorvane; EPluginError when either fails.
    explicit PluginLibrary(const std::string& path);
    // Unloads the library, as a host unloads its plug-ins before it exits: the library frees
    // its windows then, while the process's application object still exists.
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // The plug-in's main window handle; 0 means the plug-in is not usable.
    forms::WindowHandle ShowMorvane(forms::WindowHandle hostWindow);
    // ShowMorvane, then one request; EPluginError when ShowMorvane gives 0. Errors of the word
    // reach the caller, with output as it stood.
    void Call(forms::WindowHandle hostWindow, const Variant& input, Variant& output);

    const std::string& Path() const noexcept { return path_; }

private:
    std::string path_;
    void* handle_ = nullptr;
    std::uint32_t (*showMorvane_)(std::uint32_t) = nullptr;
};

} // namespace zeph::emulator
