// A window: caption, bounds, modal result, focus, and the events the plug-in's windows handle.
#pragma once

#include <zeph/forms/Control.h>
#include <zeph/forms/Types.h>

#include <functional>
#include <string>
#include <typeinfo>

namespace zeph::forms {

class Button;

enum class BorderStyle { None, Single, Sizeable, Dialog, ToolWindow };
enum class FormStyle { Normal, StayOnTop };
enum class Position { Designed, ScreenCenter, DesktopCenter, MainFormCenter, OwnerFormCenter };

inline constexpr unsigned biSystemMenu = 1;
inline constexpr unsigned biMinimize = 2;
inline constexpr unsigned biMaximize = 4;
inline constexpr unsigned biHelp = 8;

struct SizeConstraints {
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0;
    int MaxHeight = 0;
};

class ZEPH_HOST_API Form : public WinControl {
public:
    explicit Form(Component* owner, std::string name = {});
    ~Form() override;

    std::string Caption; // host text
    std::string& FontName{Font.Name};
    ModalResult modalResult = ModalResult::None;
    forms::BorderStyle BorderStyle = forms::BorderStyle::Sizeable;
    unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
    forms::FormStyle FormStyle = forms::FormStyle::Normal;
    forms::Position Position = forms::Position::Designed;
    SizeConstraints Constraints;
    // Key events reach the window before the focused control.
    bool KeyPreview = false;
    int HelpContext = 0;

    std::function<void(Form& sender)> OnCreate;
    std::function<void(Form& sender)> OnShow;
    std::function<void(Form& sender)> OnHide;
    std::function<void(Form& sender, bool& canClose)> OnCloseQuery;
    std::function<void(Form& sender, CloseAction& action)> OnClose;
    std::function<void(Form& sender)> OnDestroy;

    // Fires OnCreate; a window class calls it at the end of its constructor, once its
    // controls exist and its handlers are bound.
    void Created();

    // The class name of the most derived window class without namespaces ("TfrmSMEdit"):
    // scripts find a window's actions by it.
    std::string ClassName() const;

    // The client area follows the border: setting it sets Width and Height.
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    // The native window's handle, created on first use; registered so the host can find the
    // window by it. Raises EWindowCreation when the host refuses the window.
    WindowHandle Handle();
    bool HandleAllocated() const noexcept { return handle_ != 0; }

    bool IsModal() const noexcept { return modal_; }

    // Shows the window modally through the backend and returns its modal result.
    ModalResult ShowModal();
    // Shows the window without waiting (a modal window that hid itself shows again).
    void Show() override;
    void Hide() override;
    // A modal window gets the result Cancel and ends when OnCloseQuery and OnClose allow it.
    // Another window asks OnCloseQuery, then OnClose with the action Hide; Free releases it.
    void Close();
    // Frees a heap window after the event that asked for it has returned.
    void Release();

    // Advances the modal loop: when a result is set, asks OnCloseQuery and OnClose, which may
    // keep the window open (the result goes back to None). True when the modal showing has
    // ended or the window is not modal. Backends and User call it after every action.
    bool PollModal();
    bool ModalEnded() const noexcept { return !modal_ || modalEnded_; }
    // Ends a modal showing that would not close, with the given result (backends use it so
    // that a window refusing to close cannot hang a run).
    void ForceEndModal(ModalResult result);

    Control* ActiveControl() const noexcept { return activeControl_; }
    // Moves the focus: OnExit of the control losing it, then OnEnter of the new one.
    void FocusControl(Control* control);
    // The enabled, visible default / cancel button, or nullptr.
    Button* DefaultButton() const;
    Button* CancelButton() const;

    const char* KindName() const override { return "TForm"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }

    // The window registered under a handle, or nullptr.
    static Form* FromHandle(WindowHandle handle);

    // Called by backends when the shown state changes.
    void SetVisibleState(bool visible) noexcept { Visible = visible; }

private:
    friend class WinControl;
    friend class Control;
    void ChangeShowing(bool visible);
    void ForgetControl(const Control* control) noexcept;

    WindowHandle handle_ = 0;
    bool modal_ = false;
    bool modalEnded_ = false;
    Control* activeControl_ = nullptr;
};

// A class's name without namespaces and template arguments ("TfrmSMEdit").
ZEPH_HOST_API std::string UnqualifiedClassName(const std::type_info& type);

// The next count native-window creations (Form::Handle allocating a handle) fail with
// EWindowCreation, as on a host that refuses windows.
ZEPH_HOST_API void FailNextWindowCreations(int count);

} // namespace zeph::forms
