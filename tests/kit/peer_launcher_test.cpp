// The peer launcher as a Windows test meets it: an unreachable or absent launcher is an error at
// once, never a wait; a refused program is named.
#include "support/ScopedEnv.h"
#include "support/Subprocess.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace zeph::testing {
namespace {

std::string ErrorOf(const std::vector<std::string>& argv) {
    try {
        zeph::testing::Run(argv);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

TEST(PeerLauncher, AnUnreachableOrMissingLauncherIsAnError) {
    {
        // A port that was free a moment ago: nothing listens there.
        ScopedEnv nowhere("ZEPH_PEER_LAUNCHER", "127.0.0.1:" + std::to_string(FreeLoopbackPort()));
        EXPECT_EQ(ErrorOf({"/bin/true"}).rfind("cannot reach the peer launcher at 127.0.0.1:", 0),
                  0u);
        EXPECT_THROW(Background({"/bin/true"}), std::runtime_error);
    }
    {
        ScopedEnv elsewhere("ZEPH_PEER_LAUNCHER", std::string("192.0.2.1:80"));
        EXPECT_EQ(ErrorOf({"/bin/true"}).rfind("ZEPH_PEER_LAUNCHER is not 127.0.0.1:<port>", 0),
                  0u);
    }
    ScopedEnv unset("ZEPH_PEER_LAUNCHER", std::nullopt);
    EXPECT_EQ(ErrorOf({"/bin/true"}).rfind("no peer launcher for Linux programs", 0), 0u);
}

TEST(PeerLauncher, AProgramTheLauncherCannotStartIsNamed) {
    std::string error = ErrorOf({"/no/such/program", "x"});
    EXPECT_NE(error.find("the peer launcher refused"), std::string::npos) << error;
    EXPECT_NE(error.find("/no/such/program"), std::string::npos) << error;
}

} // namespace
} // namespace zeph::testing
