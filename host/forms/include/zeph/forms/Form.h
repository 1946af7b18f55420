// A window: caption, bounds, modal result and the events the plug-in's windows handle.
#pragma once

#include <zeph/forms/Component.h>
#include <zeph/forms/Types.h>

#include <functional>
#include <string>

namespace zeph::forms {

class ZEPH_HOST_API Form : public Component {
public:
    explicit Form(Component* owner, std::string name = {});
    ~Form() override;

    std::string Caption;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    std::string FontName;
    ModalResult modalResult = ModalResult::None;

    std::function<void(Form& sender)> OnCreate;
    std::function<void(Form& sender)> OnShow;
    std::function<void(Form& sender, bool& canClose)> OnCloseQuery;
    std::function<void(Form& sender, CloseAction& action)> OnClose;

    // Fires OnCreate; a window class calls it at the end of its constructor, once its
    // controls exist and its handlers are bound.
    void Created();

    // The native window's handle, created on first use; registered so the host can find the
    // window by it.
    WindowHandle Handle();
    bool HandleAllocated() const noexcept { return handle_ != 0; }

    bool Visible() const noexcept { return visible_; }
    bool IsModal() const noexcept { return modal_; }

    // Shows the window modally through the backend and returns its modal result.
    ModalResult ShowModal();
    // Shows the window without waiting.
    void Show();
    void Hide();
    // Asks OnCloseQuery, then OnClose with the default action (Hide; a modal window sets
    // modalResult Cancel when it has none). Free releases the window after the current event.
    void Close();
    // Frees a heap window after the event that asked for it has returned.
    void Release();

    // The window registered under a handle, or nullptr.
    static Form* FromHandle(WindowHandle handle);

    // Called by backends when the shown state changes.
    void SetVisibleState(bool visible) noexcept { visible_ = visible; }

private:
    WindowHandle handle_ = 0;
    bool visible_ = false;
    bool modal_ = false;
};

} // namespace zeph::forms
