#include <zeph/formdrive/WindowScripts.h>

#include <algorithm>

namespace zeph::forms {

void WindowScripts::Add(std::string window, Action action) {
    for (Entry& entry : entries_) {
        if (zeph::text::SameText(entry.window, window)) {
            entry.actions.push_back(std::move(action));
            return;
        }
    }
    entries_.push_back(Entry{std::move(window), {std::move(action)}, 0});
}

void WindowScripts::Load(const Script& script) {
    for (const WindowScript& section : script.windows) {
        Add(section.window,
            [section](Form& form, User& user) { RunWindowScript(section, form, user); });
    }
}

WindowScripts::Entry* WindowScripts::Find(const Form& form) {
    std::string className = form.ClassName();
    for (Entry& entry : entries_) {
        if (zeph::text::SameText(entry.window, className)) {
            return &entry;
        }
    }
    if (!form.Name().empty()) {
        for (Entry& entry : entries_) {
            if (zeph::text::SameText(entry.window, form.Name())) {
                return &entry;
            }
        }
    }
    return nullptr;
}

WindowScripts::Action WindowScripts::Take(const Form& form) {
    Entry* entry = Find(form);
    if (entry == nullptr || entry->actions.empty()) {
        return {};
    }
    std::size_t index = std::min(entry->next, entry->actions.size() - 1);
    if (entry->next < entry->actions.size()) {
        ++entry->next;
    }
    return entry->actions[index];
}

bool WindowScripts::Has(const Form& form) const {
    return const_cast<WindowScripts*>(this)->Find(form) != nullptr;
}

} // namespace zeph::forms
