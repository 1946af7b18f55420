#include "OtherUser.h"

namespace export_test {

std::vector<std::string> AsOtherUser(const std::string&, std::string& why) {
    why = "no second user to run as on Windows (Wine runs every program as one user)";
    return {};
}

bool GiveToOtherUser(const std::string&) {
    return false;
}

} // namespace export_test
