#include "QtInput.h"

namespace zeph::qtforms {
namespace forms = zeph::forms;

std::uint16_t VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return static_cast<std::uint16_t>('A' + (key - Qt::Key_A));
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return static_cast<std::uint16_t>('0' + (key - Qt::Key_0));
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return static_cast<std::uint16_t>(forms::keys::F1 + (key - Qt::Key_F1));
    }
    switch (key) {
    case Qt::Key_Backspace:
        return forms::keys::Back;
    case Qt::Key_Tab:
        return forms::keys::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return forms::keys::Return;
    case Qt::Key_Escape:
        return forms::keys::Escape;
    case Qt::Key_Space:
        return forms::keys::Space;
    case Qt::Key_PageUp:
        return forms::keys::PageUp;
    case Qt::Key_PageDown:
        return forms::keys::PageDown;
    case Qt::Key_End:
        return forms::keys::End;
    case Qt::Key_Home:
        return forms::keys::Home;
    case Qt::Key_Left:
        return forms::keys::Left;
    case Qt::Key_Up:
        return forms::keys::Up;
    case Qt::Key_Right:
        return forms::keys::Right;
    case Qt::Key_Down:
        return forms::keys::Down;
    case Qt::Key_Insert:
        return forms::keys::Insert;
    case Qt::Key_Delete:
        return forms::keys::Delete;
    default:
        return 0;
    }
}

forms::ShiftState ShiftOf(Qt::KeyboardModifiers modifiers) {
    forms::ShiftState shift = 0;
    if ((modifiers & Qt::ShiftModifier) != 0) {
        shift |= forms::ssShift;
    }
    if ((modifiers & Qt::ControlModifier) != 0) {
        shift |= forms::ssCtrl;
    }
    if ((modifiers & Qt::AltModifier) != 0) {
        shift |= forms::ssAlt;
    }
    return shift;
}

std::optional<forms::MouseButton> MouseButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return forms::MouseButton::Left;
    case Qt::RightButton:
        return forms::MouseButton::Right;
    case Qt::MiddleButton:
        return forms::MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

// The keys held and the buttons down while the event happened.
forms::ShiftState MouseShiftOf(const QMouseEvent& event) {
    forms::ShiftState shift = ShiftOf(event.modifiers());
    if ((event.buttons() & Qt::LeftButton) != 0) {
        shift |= forms::ssLeft;
    }
    if ((event.buttons() & Qt::RightButton) != 0) {
        shift |= forms::ssRight;
    }
    if ((event.buttons() & Qt::MiddleButton) != 0) {
        shift |= forms::ssMiddle;
    }
    return shift;
}

} // namespace zeph::qtforms
