#include <zeph/forms/Application.h>
#include <zeph/forms/Button.h>
#include <zeph/forms/Form.h>

#include <cxxabi.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <typeinfo>
#include <unordered_map>

namespace zeph::forms {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<WindowHandle, Form*> forms;
    WindowHandle next = 0x00010000;
    int failures = 0;
};

// Never destroyed, for the same reason as the application object.
HandleTable& Handles() {
    static HandleTable* table = new HandleTable;
    return *table;
}

// The border the host framework draws around the client area, per side and for the title.
struct Frame {
    int side;
    int caption;
};

Frame FrameOf(BorderStyle style) {
    switch (style) {
    case BorderStyle::None:
        return {0, 0};
    case BorderStyle::Sizeable:
        return {4, 19};
    case BorderStyle::ToolWindow:
        return {3, 16};
    case BorderStyle::Single:
    case BorderStyle::Dialog:
    default:
        return {3, 19};
    }
}

template <typename Predicate>
Button* FindButton(const WinControl& container, Predicate wanted) {
    for (Control* c : container.Controls()) {
        if (auto* button = dynamic_cast<Button*>(c);
            button != nullptr && wanted(*button) && button->Reachable()) {
            return button;
        }
        if (auto* inner = dynamic_cast<WinControl*>(c)) {
            if (!inner->Reachable()) {
                continue;
            }
            if (Button* found = FindButton(*inner, wanted)) {
                return found;
            }
        }
    }
    return nullptr;
}

} // namespace

std::string UnqualifiedClassName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : type.name();
    // Cut template arguments, then namespaces.
    if (auto angle = name.find('<'); angle != std::string::npos) {
        name.erase(angle);
    }
    if (auto colon = name.rfind("::"); colon != std::string::npos) {
        name.erase(0, colon + 2);
    }
    return name;
}

void FailNextWindowCreations(int count) {
    auto& table = Handles();
    std::lock_guard lock(table.mutex);
    table.failures = count < 0 ? 0 : count;
}

Form::Form(Component* owner, std::string name) : WinControl(owner, std::move(name)) {
    // A window is not a child of its owner's client area.
    SetParent(nullptr);
    Visible = false;
    Font.Name = "MS Sans Serif";
}

Form::~Form() {
    if (OnDestroy) {
        try {
            OnDestroy(*this);
        } catch (...) {
            // A destructor cannot pass the error on; the host framework swallows it too.
        }
    }
    if (TApplication* app = Application()) {
        app->CancelRelease(this);
        app->GetBackend().WindowDestroyed(*this);
    }
    activeControl_ = nullptr;
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

std::string Form::ClassName() const {
    return UnqualifiedClassName(typeid(*this));
}

int Form::ClientWidth() const {
    return Width - 2 * FrameOf(BorderStyle).side;
}

int Form::ClientHeight() const {
    Frame frame = FrameOf(BorderStyle);
    return Height - 2 * frame.side - frame.caption;
}

void Form::SetClientWidth(int width) {
    Width = width + 2 * FrameOf(BorderStyle).side;
}

void Form::SetClientHeight(int height) {
    Frame frame = FrameOf(BorderStyle);
    Height = height + 2 * frame.side + frame.caption;
}

WindowHandle Form::Handle() {
    if (handle_ == 0) {
        auto& table = Handles();
        std::lock_guard lock(table.mutex);
        if (table.failures > 0) {
            --table.failures;
            throw EWindowCreation("Error creating window handle");
        }
        WindowHandle handle = 0;
        do {
            handle = table.next++;
            if (table.next == 0 || table.next == kNoOwner) {
                table.next = 0x00010000;
            }
        } while (table.forms.count(handle) != 0);
        table.forms.emplace(handle, this);
        handle_ = handle;
    }
    return handle_;
}

Form* Form::FromHandle(WindowHandle handle) {
    auto& table = Handles();
    std::lock_guard lock(table.mutex);
    auto it = table.forms.find(handle);
    return it == table.forms.end() ? nullptr : it->second;
}

void Form::ChangeShowing(bool visible) {
    if (Visible == visible) {
        return;
    }
    Visible = visible;
    if (visible) {
        if (OnShow) {
            OnShow(*this);
        }
    } else if (OnHide) {
        OnHide(*this);
    }
}

ModalResult Form::ShowModal() {
    if (modal_ || Visible) {
        throw EInvalidOperation("Cannot make a visible window modal");
    }
    Handle();
    struct ModalScope {
        Form& form;
        explicit ModalScope(Form& f) : form(f) {
            form.modal_ = true;
            form.modalEnded_ = false;
        }
        ~ModalScope() {
            form.modal_ = false;
            form.modalEnded_ = false;
            if (form.Visible) {
                form.Visible = false;
                Application()->GetBackend().HideWindow(form);
            }
        }
    } scope(*this);
    modalResult = ModalResult::None;
    ChangeShowing(true);
    if (!PollModal()) {
        Application()->GetBackend().RunModal(*this);
        if (!PollModal()) {
            // The person left the window open: it goes the way of the close box, and a window
            // that will not close ends anyway so that nothing waits for ever.
            Close();
            if (!PollModal()) {
                ForceEndModal(ModalResult::Cancel);
            }
        }
    }
    ChangeShowing(false);
    Application()->GetBackend().HideWindow(*this);
    return modalResult;
}

bool Form::PollModal() {
    if (!modal_ || modalEnded_) {
        return true;
    }
    if (modalResult == ModalResult::None) {
        return false;
    }
    bool canClose = true;
    if (OnCloseQuery) {
        OnCloseQuery(*this, canClose);
    }
    CloseAction action = CloseAction::None;
    if (canClose) {
        action = CloseAction::Hide;
        if (OnClose) {
            OnClose(*this, action);
        }
    }
    if (action == CloseAction::None) {
        modalResult = ModalResult::None;
        return false;
    }
    if (action == CloseAction::Free) {
        Release();
    }
    modalEnded_ = modalResult != ModalResult::None;
    return modalEnded_;
}

void Form::ForceEndModal(ModalResult result) {
    if (modal_) {
        modalResult = result;
        modalEnded_ = true;
    }
}

void Form::Show() {
    Handle();
    if (modal_) {
        // A modal window that hid itself comes back; its modal loop is still running.
        ChangeShowing(true);
        return;
    }
    bool wasVisible = Visible;
    ChangeShowing(true);
    if (!wasVisible) {
        Application()->GetBackend().ShowModeless(*this);
    } else {
        Application()->GetBackend().WindowChanged(*this);
    }
}

void Form::Hide() {
    ChangeShowing(false);
    Application()->GetBackend().HideWindow(*this);
}

void Form::Close() {
    if (modal_) {
        modalResult = ModalResult::Cancel;
        return;
    }
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
    switch (action) {
    case CloseAction::None:
        break;
    case CloseAction::Free:
        Release();
        break;
    case CloseAction::Hide:
    case CloseAction::Minimize:
    default:
        Hide();
        break;
    }
}

void Form::Release() {
    Application()->QueueRelease(this);
}

void Form::FocusControl(Control* control) {
    if (control == activeControl_) {
        return;
    }
    Control* previous = activeControl_;
    activeControl_ = control;
    if (previous != nullptr && previous->OnExit) {
        previous->OnExit(*previous);
    }
    if (control != nullptr && activeControl_ == control && control->OnEnter) {
        control->OnEnter(*control);
    }
}

void Form::ForgetControl(const Control* control) noexcept {
    if (activeControl_ == nullptr || control == nullptr) {
        return;
    }
    for (const Control* c = activeControl_; c != nullptr; c = c->Parent()) {
        if (c == control) {
            activeControl_ = nullptr;
            return;
        }
    }
}

Button* Form::DefaultButton() const {
    return FindButton(*this, [](const Button& b) { return b.Default; });
}

Button* Form::CancelButton() const {
    return FindButton(*this, [](const Button& b) { return b.Cancel; });
}

} // namespace zeph::forms
