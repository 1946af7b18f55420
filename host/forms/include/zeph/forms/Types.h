// Values shared by forms, dialogs and backends.
#pragma once

#include <cstdint>

namespace zeph::forms {

// A window's handle: a nonzero 32-bit id handed out by the toolkit.
using WindowHandle = std::uint32_t;

// The owner value that means "no particular owner" (all bits set).
inline constexpr WindowHandle kNoOwner = 0xFFFFFFFFu;

enum class ModalResult : int {
    None = 0,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
    All = 8,
};

enum class CloseAction { None, Hide, Free, Minimize };

enum class Cursor { Default, HourGlass };

} // namespace zeph::forms
