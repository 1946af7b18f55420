#include "support/PlayerCommand.h"

namespace zeph::testing {
namespace {

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace

// A shell command that gets the file as "$1".
std::string NotingPlayerCommand(const std::string& noteFile) {
    return ShellQuoted(ZEPH_NOTE_ARGUMENT) + " " + ShellQuoted(noteFile) + " \"$1\"";
}

} // namespace zeph::testing
