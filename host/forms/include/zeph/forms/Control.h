// Controls: what a window is built from. A control has an owner (who frees it, Component) and
// a parent (the container it is drawn in, WinControl). Settings that have no side effects are
// plain fields; values whose change fires events go through Set... operations.
#pragma once

#include <zeph/forms/Component.h>
#include <zeph/forms/ControlVisitor.h>
#include <zeph/forms/Types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zeph::forms {

class Control;
class WinControl;
class Form;

using NotifyEvent = std::function<void(Control& sender)>;
// key: the character typed; set it to 0 to swallow it, or change it.
using KeyPressEvent = std::function<void(Control& sender, char& key)>;
// key: the virtual key code; set it to 0 to swallow it.
using KeyEvent = std::function<void(Control& sender, std::uint16_t& key, ShiftState shift)>;
using MouseEvent =
    std::function<void(Control& sender, MouseButton button, ShiftState shift, int x, int y)>;
using MouseMoveEvent = std::function<void(Control& sender, ShiftState shift, int x, int y)>;

inline constexpr unsigned fsBold = 1;
inline constexpr unsigned fsItalic = 2;
inline constexpr unsigned fsUnderline = 4;
inline constexpr unsigned fsStrikeOut = 8;

struct Font {
    std::string Name = "MS Sans Serif";
    int Size = 8; // points
    forms::Color Color = clWindowText;
    unsigned Style = 0; // fs... flags
    int Charset = 1;    // 1 default, 134 GB2312
};

class ZEPH_HOST_API Control : public Component {
public:
    // The parent is the owner when the owner is a container; windows place controls elsewhere
    // with SetParent.
    Control(Component* owner, std::string name);
    Control(Component& owner, std::string name) : Control(&owner, std::move(name)) {}
    ~Control() override;

    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Enabled = true;
    bool Visible = true;
    std::string Hint; // host text
    bool ShowHint = false;
    int TabOrder = 0;
    bool TabStop = false;
    int Tag = 0;
    forms::Align Align = forms::Align::None;
    forms::Color Color = clBtnFace;
    forms::Font Font;

    NotifyEvent OnClick;
    NotifyEvent OnDblClick;
    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    KeyEvent OnKeyDown;
    KeyEvent OnKeyUp;
    KeyPressEvent OnKeyPress;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseUp;
    MouseMoveEvent OnMouseMove;

    WinControl* Parent() const noexcept { return parent_; }
    virtual void SetParent(WinControl* parent);

    virtual void SetBounds(int left, int top, int width, int height);
    virtual int ClientWidth() const { return Width; }
    virtual int ClientHeight() const { return Height; }

    // The window this control is placed on (following parents), or nullptr.
    Form* ParentForm() const;

    // True when a person can reach the control: it and every container up to its window are
    // visible and enabled, and every page it lies on is the active one. The window itself
    // need not be shown, so that tests can act on a window without a modal loop.
    bool Reachable() const;
    // Reachable and able to hold the keyboard focus.
    bool CanFocus() const;
    bool Focused() const;
    // Raises EInvalidOperation when the control cannot take the focus.
    void SetFocus();

    // Moves the control above its siblings.
    void BringToFront();
    void SendToBack();
    // Draws the window now: it is painted before this returns (a no-op without a drawing
    // backend).
    void Repaint();
    // Marks the window as changed: it is drawn when events are next let through.
    void Invalidate();
    virtual void Show() { Visible = true; }
    virtual void Hide() { Visible = false; }

    // The kind of control as the host framework names it ("TEdit", "TButton", ...).
    virtual const char* KindName() const { return "TControl"; }
    // A one-line description of the control's value for console presentation (host text).
    virtual std::string Describe() const { return {}; }
    // Calls the visitor's Visit for this control's kind. Every kind a window can hold
    // overrides it, so a kind that does not fails to build.
    virtual void Accept(ControlVisitor& visitor) = 0;

    // Default processing of the keyboard after the events; backends do not call these
    // directly, User does.
    virtual bool AcceptsFocus() const { return false; }
    // True when the control handles the key itself instead of the window's default or cancel
    // button (a multi-line text wants Enter).
    virtual bool WantsKey(std::uint16_t key) const {
        (void)key;
        return false;
    }
    virtual void DefaultKeyDown(std::uint16_t key, ShiftState shift) {
        (void)key;
        (void)shift;
    }
    virtual void DefaultKeyChar(char key) { (void)key; }
    // What a left click does after the mouse events, before OnClick when the control fires
    // it itself (buttons set the modal result first).
    virtual void DefaultClick();

protected:
    void Fire(const NotifyEvent& event) {
        if (event) {
            event(*this);
        }
    }

private:
    friend class WinControl;
    WinControl* parent_ = nullptr;
};

// A control that contains other controls.
class ZEPH_HOST_API WinControl : public Control {
public:
    WinControl(Component* owner, std::string name);
    WinControl(Component& owner, std::string name) : WinControl(&owner, std::move(name)) {}
    ~WinControl() override;

    // Child controls in z-order (the last one is on top).
    const std::vector<Control*>& Controls() const noexcept { return children_; }
    int ControlCount() const noexcept { return static_cast<int>(children_.size()); }
    // Frees the children that their owner adopted (created at run time); takes the others
    // (members of a window) off this container.
    void FreeControls();
    // True when control lies inside this container, at any depth.
    bool ContainsControl(const Control* control) const;

    const char* KindName() const override { return "TWinControl"; }
    bool AcceptsFocus() const override { return true; }

private:
    friend class Control;
    std::vector<Control*> children_;
};

// Plain containers.
class ZEPH_HOST_API Panel : public WinControl {
public:
    using WinControl::WinControl;
    std::string Caption;
    const char* KindName() const override { return "TPanel"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool AcceptsFocus() const override { return false; }
};

class ZEPH_HOST_API GroupBox : public WinControl {
public:
    using WinControl::WinControl;
    std::string Caption;
    const char* KindName() const override { return "TGroupBox"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool AcceptsFocus() const override { return false; }
};

class ZEPH_HOST_API ScrollBox : public WinControl {
public:
    using WinControl::WinControl;
    bool AutoScroll = true;
    const char* KindName() const override { return "TScrollBox"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool AcceptsFocus() const override { return false; }
};

// A bar between two aligned controls that a person drags to resize them.
class ZEPH_HOST_API Splitter : public Control {
public:
    using Control::Control;
    int MinSize = 30;
    const char* KindName() const override { return "TSplitter"; }
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

// The first control with this name (case-insensitive) among the components owned by owner, at
// any depth, or nullptr.
ZEPH_HOST_API Control* FindControl(const Component& owner, std::string_view name);

} // namespace zeph::forms
