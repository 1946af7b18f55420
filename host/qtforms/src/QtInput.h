// Qt's keys, modifiers and mouse buttons in the toolkit's terms.
#pragma once

#include <zeph/forms/Types.h>

#include <QMouseEvent>
#include <Qt>
#include <cstdint>
#include <optional>

namespace zeph::qtforms {

// The virtual key code of a Qt key, or 0 for a key the toolkit has no code for.
std::uint16_t VirtualKeyOf(int key);
zeph::forms::ShiftState ShiftOf(Qt::KeyboardModifiers modifiers);
std::optional<zeph::forms::MouseButton> MouseButtonOf(Qt::MouseButton button);
// The keys held and the buttons down while the event happened.
zeph::forms::ShiftState MouseShiftOf(const QMouseEvent& event);

} // namespace zeph::qtforms
