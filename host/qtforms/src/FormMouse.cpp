// The mouse on a window's widgets: presses, moves and releases as the toolkit's mouse events,
// each with its button, and a left press released inside the control it went down on as a
// click, also after a drag.
#include "FormView.h"
#include "KindAdapter.h"
#include "QtInput.h"

#include <QApplication>
#include <QMouseEvent>

namespace zeph::qtforms {
namespace forms = zeph::forms;

QPoint FormView::ClientPoint(forms::Control* control, QObject* part, QPointF position) const {
    QPoint at = position.toPoint();
    auto* piece = qobject_cast<QWidget*>(part);
    QWidget* whole = WidgetFor(control);
    if (piece != nullptr && whole != nullptr && whole->isAncestorOf(piece)) {
        at = piece->mapTo(whole, at);
    }
    return at;
}

void FormView::MouseDownAt(forms::Control* control, forms::MouseButton button, QPoint at,
                           forms::ShiftState shift) {
    Act(control, [control, button, at, shift](forms::User& user) {
        user.MouseDown(*control, button, at.x(), at.y(), shift);
    });
}

void FormView::MouseEvent(forms::Control* control, QObject* part, QMouseEvent& event) {
    // Qt hands an event the pressed widget leaves to its parents as copies that are not
    // spontaneous; the control under the mouse has had it already.
    if (!event.spontaneous()) {
        return;
    }
    const QPoint at = ClientPoint(control, part, event.position());
    // Left clicks on these arrive through their widgets' signals as the toolkit's own actions.
    const bool bySignal = event.button() == Qt::LeftButton && AdapterFor(*control).ClicksBySignal();
    switch (event.type()) {
    case QEvent::MouseButtonDblClick:
        if (event.button() == Qt::LeftButton) {
            if (!bySignal) {
                Act(control, [control](forms::User& user) { user.DoubleClick(*control); });
            }
            return;
        }
        [[fallthrough]]; // another button's second press is a press
    case QEvent::MouseButtonPress:
        MousePressed(control, part, event, at, bySignal);
        return;
    case QEvent::MouseMove:
        MouseMoved(control, part, event, at);
        return;
    case QEvent::MouseButtonRelease:
        MouseReleased(control, part, event, at, bySignal);
        return;
    default:
        return;
    }
}

void FormView::MousePressed(forms::Control* control, QObject* part, QMouseEvent& event, QPoint at,
                            bool bySignal) {
    if (press_ && (event.buttons() & press_->button) == 0) {
        press_.reset(); // its release went elsewhere (a window opened by a handler took it)
    }
    const std::optional<forms::MouseButton> button = MouseButtonOf(event.button());
    if (!button) {
        return;
    }
    if (press_ && press_->part == part && !bySignal) {
        // Another button while one is held: the control the first went down on has it, as a
        // window holding the mouse does. The held left button's own press comes first.
        const forms::ShiftState shift = MouseShiftOf(event);
        if (!press_->delivered) {
            press_->delivered = true;
            MouseDownAt(press_->control, forms::MouseButton::Left, press_->at, press_->shift);
        }
        if (press_) {
            press_->others |= event.button();
            MouseDownAt(press_->control, *button,
                        ClientPoint(press_->control, part, event.position()), shift);
        }
        return;
    }
    if (press_ || bySignal) {
        return;
    }
    const forms::ShiftState shift = MouseShiftOf(event);
    press_ = Press{part, control, event.button(), at, shift, false};
    if (event.button() != Qt::LeftButton) {
        press_->delivered = true;
        MouseDownAt(control, *button, at, shift);
    }
}

void FormView::MouseMoved(forms::Control* control, QObject* part, QMouseEvent& event, QPoint at) {
    const forms::ShiftState shift = MouseShiftOf(event);
    if (!press_) {
        if (event.buttons() == Qt::NoButton && control->OnMouseMove) {
            Act(control, [control, at, shift](forms::User& user) {
                user.MouseMove(*control, at.x(), at.y(), shift);
            });
        }
        return;
    }
    if (press_->part != part) {
        return;
    }
    if (!press_->delivered) {
        // A hand that shakes a little still clicks.
        if ((at - press_->at).manhattanLength() < QApplication::startDragDistance()) {
            return;
        }
        press_->delivered = true;
        MouseDownAt(press_->control, forms::MouseButton::Left, press_->at, press_->shift);
    }
    if (press_) {
        forms::Control* pressed = press_->control;
        Act(pressed, [pressed, at, shift](forms::User& user) {
            user.MouseMove(*pressed, at.x(), at.y(), shift);
        });
    }
    if (press_ && press_->button == Qt::LeftButton) {
        AdapterFor(*press_->control).LeftDrag(*press_->control, at - press_->at, *this);
    }
}

void FormView::MouseReleased(forms::Control* control, QObject* part, QMouseEvent& event, QPoint at,
                             bool bySignal) {
    auto* widget = qobject_cast<QWidget*>(part);
    const bool inside = widget != nullptr && widget->rect().contains(event.position().toPoint());
    // The text the person selected with the mouse is the edit's selection.
    AdapterFor(*control).PullSelection(*control, part);
    auto click = [&] { Act(control, [control](forms::User& user) { user.Click(*control); }); };
    if (!press_) {
        // The release after a double click's second press.
        if (event.button() == Qt::LeftButton && !bySignal && inside) {
            click();
        }
        return;
    }
    if (press_->part != part) {
        return;
    }
    const std::optional<forms::MouseButton> button = MouseButtonOf(event.button());
    const forms::ShiftState shift = MouseShiftOf(event);
    if ((press_->others & event.button()) != 0) {
        // A further button let go while the first is still held.
        press_->others &= ~event.button();
        forms::Control* pressedOn = press_->control;
        Act(pressedOn, [pressedOn, button, at, shift](forms::User& user) {
            user.MouseUp(*pressedOn, *button, at.x(), at.y(), shift);
        });
        return;
    }
    if (press_->button != event.button()) {
        return;
    }
    Press pressed = *press_;
    press_.reset();
    if (pressed.others != Qt::NoButton) {
        // A further button is still held: the gesture goes on with it.
        const Qt::MouseButton next =
            Qt::MouseButton(pressed.others.toInt() & -pressed.others.toInt()); // the lowest one
        press_ = Press{part, pressed.control, next, at, shift, true, pressed.others & ~next};
    }
    if (!pressed.delivered && inside) {
        click();
        return;
    }
    if (!pressed.delivered) {
        MouseDownAt(control, forms::MouseButton::Left, pressed.at, pressed.shift);
    }
    if (pressed.button == Qt::LeftButton && inside) {
        // The left button went down and comes up on the same control: a click, however far it
        // moved in between.
        Act(control, [control, at, shift](forms::User& user) {
            user.ClickUp(*control, at.x(), at.y(), shift);
        });
        return;
    }
    Act(control, [control, button, at, shift](forms::User& user) {
        user.MouseUp(*control, *button, at.x(), at.y(), shift);
    });
}

} // namespace zeph::qtforms
