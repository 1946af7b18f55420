// The actions waiting for windows, by window class name or window name: what the scripted and
// the console backend run when a window is shown.
#pragma once

#include <zeph/formdrive/Script.h>
#include <zeph/formdrive/User.h>
#include <zeph/forms/Form.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace zeph::forms {

class ZEPH_HOST_API WindowScripts {
public:
    using Action = std::function<void(Form& form, User& user)>;

    template <typename T>
    static std::string KeyOf() {
        return UnqualifiedClassName(typeid(T));
    }

    // Several actions for one window are used one per showing; the last stays.
    void Add(std::string window, Action action);
    void Load(const Script& script);
    // The action for this showing of the window (by class name first, then window name), or
    // an empty function.
    Action Take(const Form& form);
    bool Has(const Form& form) const;

private:
    struct Entry {
        std::string window;
        std::vector<Action> actions;
        std::size_t next = 0;
    };
    Entry* Find(const Form& form);
    std::vector<Entry> entries_;
};

} // namespace zeph::forms
