// A desk player_command, in the form the platform's desk runs it, that notes each file it is
// given as a line of noteFile (note_argument).
#pragma once

#include <string>

namespace zeph::testing {

std::string NotingPlayerCommand(const std::string& noteFile);

} // namespace zeph::testing
