// How the toolkit's settings look in Qt: fonts, colours, window frames.
#pragma once

#include <zeph/forms/Control.h>
#include <zeph/forms/Form.h>

#include <QColor>
#include <QFont>
#include <Qt>
#include <optional>

class QWidget;

namespace zeph::qtforms {

// Registers the fallbacks of the host's font names (宋体 and the framework's default face fall
// back to a CJK face that is installed). Idempotent.
void InstallFontSubstitutions();

// The font a control is drawn with: its own, or its parent's while it keeps the default font
// (the framework's controls follow their parent's font until given one).
zeph::forms::Font EffectiveFont(const zeph::forms::Control& control);
QFont ToQFont(const zeph::forms::Font& font);

// An explicit colour (0x00BBGGRR); nothing for a system colour, which the style draws.
std::optional<QColor> ToQColor(zeph::forms::Color color);

// Paints the control's colour and font colour on the widget.
void ApplyColours(const zeph::forms::Control& control, QWidget& widget);

// The title-bar and frame flags of a window.
Qt::WindowFlags WindowFlagsOf(const zeph::forms::Form& form);

} // namespace zeph::qtforms
