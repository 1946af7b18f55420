// Menus: items by command identifier with their state.

#include <tollund/CFunction.h>

#include <mutex>
#include <string>
#include <vector>

struct CFunction::Menu::Items {
    struct Item {
        uint32_t id;
        std::string text;
        uint32_t state;
    };
    mutable std::mutex lock;
    std::vector<Item> items;
};

CFunction::Menu::Menu() : m_items(new Items) {}

CFunction::Menu::~Menu() {
    delete m_items;
}

void CFunction::Menu::AppendItem(uint32_t commandId, const std::string& text, uint32_t state) {
    const std::lock_guard<std::mutex> guard(m_items->lock);
    m_items->items.push_back({commandId, text, state});
}

bool CFunction::Menu::GetItemState(uint32_t commandId, uint32_t& state) const {
    const std::lock_guard<std::mutex> guard(m_items->lock);
    for (const auto& item : m_items->items) {
        if (item.id == commandId) {
            state = item.state;
            return true;
        }
    }
    return false;
}

bool CFunction::Menu::SetItemState(uint32_t commandId, uint32_t state) {
    const std::lock_guard<std::mutex> guard(m_items->lock);
    for (auto& item : m_items->items) {
        if (item.id == commandId) {
            item.state = state;
            return true;
        }
    }
    return false;
}

void CFunction::SetMenuItemState(Menu* menu, uint32_t commandId, int check, int enable) {
    if (menu == nullptr) {
        return;
    }
    const uint32_t state =
        (enable != 0 ? 0u : MenuStateGrayed) | (check != 0 ? MenuStateChecked : 0u);
    menu->SetItemState(commandId, state);
}
