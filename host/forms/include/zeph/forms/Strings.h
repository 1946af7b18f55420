// A list of host texts, as the item lists of drop-downs and list boxes hold them. The control
// that owns the list is told of each change so that its selection stays right.
#pragma once

#include <zeph/text/HostText.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::forms {

class ZEPH_HOST_API Strings {
public:
    enum class Change { Insert, Delete, Clear, Set };
    using Observer = std::function<void(Change change, int index)>;

    Strings() = default;
    explicit Strings(Observer observer) : observer_(std::move(observer)) {}
    Strings(const Strings&) = delete;
    Strings& operator=(const Strings&) = delete;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    bool Empty() const noexcept { return items_.empty(); }
    // Raises std::out_of_range for a bad index ("List index out of bounds").
    const std::string& operator[](int index) const;
    void Set(int index, std::string text);

    int Add(std::string text);
    void Insert(int index, std::string text);
    void Delete(int index);
    void Clear();
    void Assign(const std::vector<std::string>& items);

    // The first item equal to text ignoring ASCII case, or -1.
    int IndexOf(std::string_view text) const;
    // Items each followed by CR LF; setting splits at CR LF, LF or CR.
    std::string Text() const;
    void SetText(std::string_view text);

    const std::vector<std::string>& Items() const noexcept { return items_; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    void Check(int index) const;
    void Notify(Change change, int index) {
        if (observer_) {
            observer_(change, index);
        }
    }
    std::vector<std::string> items_;
    Observer observer_;
};

} // namespace zeph::forms
