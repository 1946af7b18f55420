#pragma once
// The command line's room in ExecCommand, the same on every platform.

#include <tollund/CFunction.h>

#include <cstddef>
#include <string>

namespace tollund::detail {

constexpr size_t CommandLineBuffer = 1040;

// Whether the command line fits its buffer; a line that does not is logged and refused.
inline bool ExecCommandLineFits(const std::string& appPath, const std::string& commandLine) {
    if (commandLine.size() < CommandLineBuffer) {
        return true;
    }
    CFunction::RLog("[ExecCommand] Command line too long (%u characters, at most %u).Command:%s",
                    static_cast<unsigned>(commandLine.size()),
                    static_cast<unsigned>(CommandLineBuffer - 1), appPath.c_str());
    return false;
}

} // namespace tollund::detail
