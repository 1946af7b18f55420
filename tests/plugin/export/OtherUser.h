// Running zeph-host as an unprivileged user other than the test's, where the platform allows.
#pragma once

#include <string>
#include <vector>

namespace export_test {

// The command prefix that runs a program as the unprivileged user, after giving that user the
// folder and all in it (throws std::runtime_error when it cannot); empty, with the reason in
// `why` where no such user can be had, and empty with no reason when the test's user is one.
std::vector<std::string> AsOtherUser(const std::string& folder, std::string& why);
// Gives the file to that user; false when it cannot.
bool GiveToOtherUser(const std::string& path);

} // namespace export_test
