// The plug-in's window classes, each with a maker when its owner alone constructs it.
#pragma once

#include <zeph/forms/Form.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace zeph::qtforms::testing {

struct PluginWindow {
    std::string className;
    // Empty when the window's constructor wants more than its owner.
    std::function<std::unique_ptr<zeph::forms::Form>(zeph::forms::Component* owner)> make;
};

template <typename T>
PluginWindow Entry(const char* className) {
    if constexpr (std::is_constructible_v<T, zeph::forms::Component*>) {
        return {className, [](zeph::forms::Component* owner) {
                    return std::unique_ptr<zeph::forms::Form>(new T(owner));
                }};
    } else {
        return {className, nullptr};
    }
}

const std::vector<PluginWindow>& PluginWindows();

} // namespace zeph::qtforms::testing
