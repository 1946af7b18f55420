#include "PluginLoader.h"

#include <zeph/client/Delivery.h>
#include <zeph/emulator/PluginLibrary.h>

namespace zeph::emulator {

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
    std::string error;
    handle_ = detail::OpenLibrary(path, error);
    if (handle_ == nullptr) {
        throw EPluginError("cannot load the plug-in " + path + ": " + error);
    }
    void* symbol = detail::FindExport(handle_, "ShowMorvane");
    if (symbol == nullptr) {
        detail::CloseLibrary(handle_);
        handle_ = nullptr;
        throw EPluginError("the library " + path + " does not export ShowMorvane");
    }
    showMorvane_ = reinterpret_cast<std::uint32_t (*)(std::uint32_t)>(symbol);
}

PluginLibrary::~PluginLibrary() {
    if (handle_ != nullptr) {
        detail::CloseLibrary(handle_);
    }
}

forms::WindowHandle PluginLibrary::ShowMorvane(forms::WindowHandle hostWindow) {
    return showMorvane_(hostWindow);
}

void PluginLibrary::Call(forms::WindowHandle hostWindow, const Variant& input, Variant& output) {
    forms::WindowHandle window = ShowMorvane(hostWindow);
    if (window == 0) {
        throw EPluginError("ShowMorvane of " + path_ + " returned 0");
    }
    DeliverRequest(window, input, output);
}

} // namespace zeph::emulator
