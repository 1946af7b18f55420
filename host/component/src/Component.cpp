#include <zeph/component/Component.h>

#include <algorithm>

namespace zeph::component {

Component::Component(Component* owner, std::string name) : owner_(owner), name_(std::move(name)) {
    if (owner_ != nullptr) {
        owner_->components_.push_back(this);
    }
}

Component::~Component() {
    // Adopted children go first, newest first, while this object is still whole.
    while (!adopted_.empty()) {
        auto last = std::move(adopted_.back());
        adopted_.pop_back();
        last.reset();
    }
    for (Component* child : components_) {
        child->owner_ = nullptr;
    }
    if (owner_ != nullptr) {
        owner_->Unregister(this);
    }
}

Component* Component::FindComponent(std::string_view name) const {
    for (Component* c : components_) {
        if (zeph::text::SameText(c->name_, name)) {
            return c;
        }
    }
    return nullptr;
}

bool Component::FreeOwned(Component* component) {
    auto it = std::find_if(adopted_.begin(), adopted_.end(),
                           [component](const auto& p) { return p.get() == component; });
    if (it == adopted_.end()) {
        return false;
    }
    auto doomed = std::move(*it);
    adopted_.erase(it);
    doomed.reset();
    return true;
}

bool Component::Adopted(const Component* component) const noexcept {
    return std::any_of(adopted_.begin(), adopted_.end(),
                       [component](const auto& p) { return p.get() == component; });
}

void Component::Unregister(Component* child) noexcept {
    auto it = std::find(components_.begin(), components_.end(), child);
    if (it != components_.end()) {
        components_.erase(it);
    }
    // An adopted child deleted directly must not be deleted again with its owner.
    auto adopted = std::find_if(adopted_.begin(), adopted_.end(),
                                [child](const auto& p) { return p.get() == child; });
    if (adopted != adopted_.end()) {
        adopted->release();
        adopted_.erase(adopted);
    }
}

} // namespace zeph::component
