// The plug-in's window classes, each with a maker: the generated table builds those an owner
// alone constructs; WindowMakers.cpp builds the others with what their constructors need.
#pragma once

#include <zeph/forms/Form.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace zeph::qtforms::testing {

// A window built for its photo; whatever it was built with lives as long as it does.
using MadeWindow = std::shared_ptr<zeph::forms::Form>;

struct PluginWindow {
    std::string className;
    // Empty when nothing says how to build the window.
    std::function<MadeWindow()> make;
};

template <typename T>
PluginWindow Entry(const char* className) {
    if constexpr (std::is_constructible_v<T, zeph::forms::Component*>) {
        return {className, [] { return MadeWindow(new T(nullptr)); }};
    } else {
        return {className, nullptr};
    }
}

// Every window class declared in the plug-in's headers, as generated.
const std::vector<PluginWindow>& PluginWindows();

// The makers of the windows whose constructors want more than an owner, by class name.
const std::vector<PluginWindow>& WindowMakers();

// PluginWindows with each missing maker taken from WindowMakers.
std::vector<PluginWindow> BuildablePluginWindows();

} // namespace zeph::qtforms::testing
