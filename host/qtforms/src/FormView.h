// One window on the screen: the top-level widget of a form and a widget per control, kept up to
// date with them, and the person's input on them turned into User actions.
#pragma once

#include "ControlWidgets.h"

#include <zeph/forms/Form.h>

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace zeph::qtforms {

class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    virtual void Act(zeph::forms::Form* form, zeph::forms::Control* control,
                     std::function<void(zeph::forms::User&)> action) = 0;
    virtual bool Syncing() const = 0;
    // The widget that windows without a shown owner centre on, or nullptr.
    virtual QWidget* MainWidget() const = 0;
    virtual QWidget* WindowOf(const zeph::forms::Form* form) const = 0;
};

// The top-level widget of a window: its close box asks the window.
class FormWindow final : public QWidget {
public:
    explicit FormWindow(std::function<void()> onCloseBox) : onCloseBox_(std::move(onCloseBox)) {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> onCloseBox_;
};

class FormView final : public QObject, public Router {
public:
    FormView(Dispatcher& dispatcher, zeph::forms::Form& form);
    ~FormView() override;

    // Takes the view off its form for good (the form is being destroyed) and lets its widgets
    // go once the events under way are over, or at once when none can be under way.
    void Detach(bool now = false);
    void Sync();
    QWidget* Window() const { return window_; }

    void Act(zeph::forms::Control* control,
             std::function<void(zeph::forms::User&)> action) override;
    void Watch(QObject* part, zeph::forms::Control* control) override;
    QWidget* WidgetFor(const zeph::forms::Control* control) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SyncChildren(zeph::forms::WinControl& container, QWidget* client,
                      std::set<const zeph::forms::Control*>& seen);
    // The control's widget in client, made when the control is new (or new at its address).
    QWidget* WidgetOf(zeph::forms::Control& control, QWidget* client, bool onPages);
    // Lets go of what the view keeps for a control that is gone.
    void Forget(const zeph::forms::Control* control);
    void ChainTabs(zeph::forms::WinControl& container);
    void SyncCommon(zeph::forms::Control& control, QWidget* widget);
    void SyncWindow();
    void PlaceWindow();
    void SyncFocus();
    bool KeyPressed(zeph::forms::Control* control, QKeyEvent& event);
    bool WindowKeyPressed(QKeyEvent& event);
    void WindowMoved();
    // A press, move or release of a mouse button on part, a piece of control's widget.
    void MouseEvent(zeph::forms::Control* control, QObject* part, QMouseEvent& event);
    void MousePressed(zeph::forms::Control* control, QObject* part, QMouseEvent& event, QPoint at,
                      bool bySignal);
    void MouseMoved(zeph::forms::Control* control, QObject* part, QMouseEvent& event, QPoint at);
    void MouseReleased(zeph::forms::Control* control, QObject* part, QMouseEvent& event, QPoint at,
                       bool bySignal);
    void MouseDownAt(zeph::forms::Control* control, zeph::forms::MouseButton button, QPoint at,
                     zeph::forms::ShiftState shift);
    QPoint ClientPoint(zeph::forms::Control* control, QObject* part, QPointF position) const;

    // A mouse button held down: Qt sends the moves and the release to the part it went down on.
    struct Press {
        QObject* part = nullptr;
        zeph::forms::Control* control = nullptr;
        Qt::MouseButton button = Qt::NoButton;
        QPoint at; // in the control's client area
        zeph::forms::ShiftState shift = 0;
        // OnMouseDown has been given: the gesture is a drag, or not of the left button. A left
        // press released where it went down is a click instead, the toolkit's whole click.
        bool delivered = false;
        // Further buttons pressed while this one is held: the pressed control has their
        // OnMouseDown and gets their OnMouseUp, wherever the pointer is.
        Qt::MouseButtons others = Qt::NoButton;
    };

    Dispatcher& dispatcher_;
    zeph::forms::Form* form_;
    QPointer<FormWindow> window_;
    std::map<const zeph::forms::Control*, QWidget*> widgets_;
    std::map<const zeph::forms::Control*, const char*> kinds_;
    std::map<QObject*, zeph::forms::Control*> parts_;
    std::map<const void*, std::vector<zeph::forms::Control*>> orders_;
    std::map<const void*, std::vector<zeph::forms::Control*>> tabChains_;
    bool placed_ = false;
    QPoint appliedPosition_;
    QSize appliedSize_;
    std::optional<Press> press_;
};

} // namespace zeph::qtforms
