// Values shared by forms, controls, dialogs and backends.
#pragma once

#include <zeph/text/HostText.h>

#include <cstdint>
#include <stdexcept>

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

// Colours as the host framework writes them: 0x00BBGGRR, or a system colour.
using Color = std::uint32_t;
inline constexpr Color clBlack = 0x000000;
inline constexpr Color clMaroon = 0x000080;
inline constexpr Color clGreen = 0x008000;
inline constexpr Color clNavy = 0x800000;
inline constexpr Color clGray = 0x808080;
inline constexpr Color clRed = 0x0000FF;
inline constexpr Color clBlue = 0xFF0000;
inline constexpr Color clWhite = 0xFFFFFF;
inline constexpr Color clBtnFace = 0x8000000F;
inline constexpr Color clWindow = 0x80000005;
inline constexpr Color clWindowText = 0x80000008;
inline constexpr Color clInfoBk = 0x80000018;

// Modifier keys and mouse buttons held during an input event.
using ShiftState = unsigned;
inline constexpr ShiftState ssShift = 1;
inline constexpr ShiftState ssAlt = 2;
inline constexpr ShiftState ssCtrl = 4;
inline constexpr ShiftState ssLeft = 8;
inline constexpr ShiftState ssRight = 16;
inline constexpr ShiftState ssMiddle = 32;

enum class MouseButton { Left, Right, Middle };

// Virtual key codes of the keys the windows look at; letters and digits are their upper-case
// ASCII codes.
namespace keys {
inline constexpr std::uint16_t Back = 8;
inline constexpr std::uint16_t Tab = 9;
inline constexpr std::uint16_t Return = 13;
inline constexpr std::uint16_t Escape = 27;
inline constexpr std::uint16_t Space = 32;
inline constexpr std::uint16_t PageUp = 33;
inline constexpr std::uint16_t PageDown = 34;
inline constexpr std::uint16_t End = 35;
inline constexpr std::uint16_t Home = 36;
inline constexpr std::uint16_t Left = 37;
inline constexpr std::uint16_t Up = 38;
inline constexpr std::uint16_t Right = 39;
inline constexpr std::uint16_t Down = 40;
inline constexpr std::uint16_t Insert = 45;
inline constexpr std::uint16_t Delete = 46;
inline constexpr std::uint16_t F1 = 112;
} // namespace keys

enum class Alignment { Left, Right, Center };
enum class Align { None, Top, Bottom, Left, Right, Client };

// Errors of the toolkit. EInvalidOperation: what the host framework refuses (focusing a hidden
// control, showing a shown window modally). EWindowCreation: the host refused a native window.
// EUserAction: a person cannot do what was asked (no such item, a closed window).
class ZEPH_HOST_API EFormsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class ZEPH_HOST_API EInvalidOperation : public EFormsError {
public:
    using EFormsError::EFormsError;
};
class ZEPH_HOST_API EWindowCreation : public EFormsError {
public:
    using EFormsError::EFormsError;
};
class ZEPH_HOST_API EUserAction : public EFormsError {
public:
    using EFormsError::EFormsError;
};

} // namespace zeph::forms
