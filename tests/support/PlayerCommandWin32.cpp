#include "support/PlayerCommand.h"

namespace zeph::testing {

// A command line the desk appends the quoted file to; no shell reads it. Neither path holds a
// quote, which a Windows file name cannot.
std::string NotingPlayerCommand(const std::string& noteFile) {
    return "\"" + std::string(ZEPH_NOTE_ARGUMENT) + "\" \"" + noteFile + "\"";
}

} // namespace zeph::testing
