#include "support/PluginHost.h"

#include "support/SharedLibrary.h"

#include <zeph/client/Delivery.h>

#include <stdexcept>

namespace zeph::testing {

std::string PluginPath(Edition edition) {
    return edition == Edition::Full ? ZEPH_PLUGIN_FULL : ZEPH_PLUGIN_BASIC;
}

PluginHost::PluginHost(Edition edition) : PluginHost(PluginPath(edition)) {}

PluginHost::PluginHost(const std::string& libraryPath) {
    std::string error;
    library_ = OpenLibrary(libraryPath, error);
    if (library_ == nullptr) {
        throw std::runtime_error("cannot load plug-in: " + error);
    }
    showMorvane_ =
        reinterpret_cast<std::uint32_t (*)(std::uint32_t)>(FindSymbol(library_, "ShowMorvane"));
    if (showMorvane_ == nullptr) {
        CloseLibrary(library_);
        throw std::runtime_error("the plug-in exports no ShowMorvane");
    }
}

PluginHost::~PluginHost() {
    Unload();
}

void PluginHost::Unload() {
    if (library_ != nullptr) {
        CloseLibrary(library_);
        library_ = nullptr;
        showMorvane_ = nullptr;
    }
}

std::uint32_t PluginHost::ShowMorvane(std::uint32_t applicationHandle) {
    mainHandle_ = showMorvane_(applicationHandle);
    return mainHandle_;
}

void PluginHost::Call(const Variant& input, Variant& output) {
    zeph::DeliverRequest(mainHandle_, input, output);
}

Variant PluginHost::Call(const Variant& input) {
    Variant output;
    Call(input, output);
    return output;
}

Variant PluginHost::CallWords(std::initializer_list<std::string> words) {
    std::vector<Variant> elements;
    for (const auto& w : words) {
        elements.emplace_back(w);
    }
    return Call(Variant::ArrayOf(std::move(elements)));
}

} // namespace zeph::testing
