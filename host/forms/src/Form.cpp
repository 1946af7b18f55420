#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>

#include <mutex>
#include <unordered_map>

namespace zeph::forms {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<WindowHandle, Form*> forms;
    WindowHandle next = 0x00010000;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

} // namespace

Form::Form(Component* owner, std::string name) : Component(owner, std::move(name)) {}

Form::~Form() {
    if (TApplication* app = Application()) {
        app->CancelRelease(this);
    }
    if (handle_ != 0) {
        auto& table = Handles();
        std::lock_guard lock(table.mutex);
        table.forms.erase(handle_);
    }
}

void Form::Created() {
    if (OnCreate) {
        OnCreate(*this);
    }
}

WindowHandle Form::Handle() {
    if (handle_ == 0) {
        auto& table = Handles();
        std::lock_guard lock(table.mutex);
        do {
            handle_ = table.next++;
            if (table.next == 0 || table.next == kNoOwner) {
                table.next = 0x00010000;
            }
        } while (table.forms.count(handle_) != 0);
        table.forms.emplace(handle_, this);
    }
    return handle_;
}

Form* Form::FromHandle(WindowHandle handle) {
    auto& table = Handles();
    std::lock_guard lock(table.mutex);
    auto it = table.forms.find(handle);
    return it == table.forms.end() ? nullptr : it->second;
}

ModalResult Form::ShowModal() {
    Handle();
    modalResult = ModalResult::None;
    modal_ = true;
    visible_ = true;
    if (OnShow) {
        OnShow(*this);
    }
    ModalResult result = modalResult;
    if (result == ModalResult::None) {
        result = Application()->GetBackend().RunModal(*this);
    }
    modal_ = false;
    visible_ = false;
    return result;
}

void Form::Show() {
    Handle();
    visible_ = true;
    if (OnShow) {
        OnShow(*this);
    }
    Application()->GetBackend().ShowModeless(*this);
}

void Form::Hide() {
    visible_ = false;
    Application()->GetBackend().HideWindow(*this);
}

void Form::Close() {
    bool canClose = true;
    if (OnCloseQuery) {
        OnCloseQuery(*this, canClose);
    }
    if (!canClose) {
        return;
    }
    CloseAction action = CloseAction::Hide;
    if (OnClose) {
        OnClose(*this, action);
    }
    if (action == CloseAction::None) {
        return;
    }
    if (modal_) {
        if (modalResult == ModalResult::None) {
            modalResult = ModalResult::Cancel;
        }
    } else {
        Hide();
    }
    if (action == CloseAction::Free) {
        Release();
    }
}

void Form::Release() {
    Application()->QueueRelease(this);
}

} // namespace zeph::forms
