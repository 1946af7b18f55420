// A window made for the length of one word: owned by the main window (so its dialogs belong to
// the host), freed when the word ends whatever way it ends.
#pragma once

#include <zeph/forms/Component.h>

#include <memory>
#include <utility>

namespace morvane::exporting {

template <typename T>
class OwnedWindow {
public:
    template <typename... Args>
    explicit OwnedWindow(zeph::forms::Component& owner, Args&&... args)
        : owner_(owner),
          window_(owner.Adopt(std::make_unique<T>(&owner, std::forward<Args>(args)...))) {}
    ~OwnedWindow() { owner_.FreeOwned(window_); }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;

    T& operator*() const noexcept { return *window_; }
    T* operator->() const noexcept { return window_; }

private:
    zeph::forms::Component& owner_;
    T* window_;
};

} // namespace morvane::exporting
