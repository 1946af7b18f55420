// Components own their children by name, as the host's UI framework does: a window holds its
// controls and non-visual components, and freeing the window frees what it owns. The base of
// windows and controls and of the non-visual components (datasets, the FTP and host clients).
#pragma once

#include <zeph/text/HostText.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::component {

class ZEPH_HOST_API Component {
public:
    // Registers with owner (when given). Members of a window register this way too; their
    // lifetime is the window's, and they unregister when destroyed.
    explicit Component(Component* owner, std::string name = {});
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    Component* Owner() const noexcept { return owner_; }
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    // Components registered with this one, in creation order.
    const std::vector<Component*>& Components() const noexcept { return components_; }
    // The first owned component with this name (case-insensitive), or nullptr.
    Component* FindComponent(std::string_view name) const;

    template <typename T>
    T* FindComponentOf() const {
        for (Component* c : components_) {
            if (auto* t = dynamic_cast<T*>(c)) {
                return t;
            }
        }
        return nullptr;
    }

    // Takes a heap-created component whose owner is this one; it is freed with this one
    // (or earlier, by FreeOwned).
    template <typename T>
    T* Adopt(std::unique_ptr<T> component) {
        T* raw = component.get();
        adopted_.push_back(std::move(component));
        return raw;
    }
    // Frees an adopted component now. False when it was not adopted by this one.
    bool FreeOwned(Component* component);
    bool Adopted(const Component* component) const noexcept;

private:
    void Unregister(Component* child) noexcept;

    Component* owner_ = nullptr;
    std::string name_;
    std::vector<Component*> components_;
    std::vector<std::unique_ptr<Component>> adopted_;
};

} // namespace zeph::component
