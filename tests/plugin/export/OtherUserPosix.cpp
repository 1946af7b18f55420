#include "OtherUser.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace export_test {
namespace {

constexpr const char* kSetpriv = "/usr/bin/setpriv";

} // namespace

std::vector<std::string> AsOtherUser(const std::string& folder, std::string& why) {
    if (::geteuid() != 0) {
        return {}; // already unprivileged: the test's own run is that user's
    }
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::access(kSetpriv, X_OK) != 0) {
        why = "cannot switch to an unprivileged user (no nobody or no setpriv)";
        return {};
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (::lchown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
            throw std::runtime_error("cannot give " + entry.path().string() + " to nobody");
        }
    }
    if (::chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
        throw std::runtime_error("cannot give " + folder + " to nobody");
    }
    return {kSetpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}

bool GiveToOtherUser(const std::string& path) {
    const passwd* nobody = ::getpwnam("nobody");
    return nobody != nullptr && ::chown(path.c_str(), nobody->pw_uid, static_cast<gid_t>(-1)) == 0;
}

} // namespace export_test
