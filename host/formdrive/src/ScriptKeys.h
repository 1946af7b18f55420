// Key names of scripts ("enter", "f5", ...), shared by the parser that checks them and the
// runner that presses them.
#pragma once

#include <cstdint>
#include <string>

namespace zeph::forms {

// The key code of a lower-case key name; 0 when it names no key.
std::uint16_t ScriptKeyCode(const std::string& lowerName);

} // namespace zeph::forms
