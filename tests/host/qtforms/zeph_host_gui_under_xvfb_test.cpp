// zeph-host gui on a real X server (Xvfb): a word typed into the desk window with the X test
// extension is delivered to the plug-in and its Output shows; a screenshot of the screen is kept
// in the build tree.
#include <gtest/gtest.h>
#include <support/Subprocess.h>
#include <support/TempDir.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using zeph::testing::Background;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A display number nobody uses: no lock file and no socket.
int FreeDisplay() {
    for (int n = 90; n < 400; ++n) {
        std::string suffix = std::to_string(n);
        if (!std::filesystem::exists("/tmp/.X" + suffix + "-lock") &&
            !std::filesystem::exists("/tmp/.X11-unix/X" + suffix)) {
            return n;
        }
    }
    return -1;
}

template <typename Predicate>
bool WaitFor(Predicate ready, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return ready();
}

TEST(ZephHostGui, AWordTypedIntoTheDeskWindowIsDeliveredAndItsOutputShown) {
    int display = FreeDisplay();
    ASSERT_GT(display, 0);
    std::string name = ":" + std::to_string(display);
    Background xvfb({"/usr/bin/Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    ASSERT_TRUE(WaitFor(
        [&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)); },
        10s));

    zeph::testing::TempDir dir;
    std::string out = dir.File("out");
    std::string zephHost = std::string(ZEPH_BINARY_DIR) + "/bin/zeph-host";
    Background gui({"/bin/sh", "-c",
                    "exec env DISPLAY=" + name + " QT_QPA_PLATFORM=xcb '" + zephHost + "' gui > '" +
                        out + "' 2> '" + dir.File("err") + "'"});
    auto xdotool = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"/usr/bin/env", "DISPLAY=" + name, "/usr/bin/xdotool"});
        return zeph::testing::Run(args, {}, 30s);
    };
    auto found = xdotool({"search", "--sync", "--onlyvisible", "--name", "zeph-host"});
    ASSERT_EQ(found.status, 0) << Slurp(dir.File("err"));
    std::string window = found.out.substr(0, found.out.find('\n'));
    ASSERT_FALSE(window.empty());

    // The word field has the focus when the desk opens; Enter clicks the default button.
    ASSERT_EQ(xdotool({"windowfocus", "--sync", window}).status, 0);
    ASSERT_EQ(xdotool({"type", "--delay", "15", "CHECK_STAFF_QUERY a b c"}).status, 0);
    ASSERT_EQ(xdotool({"key", "Return"}).status, 0);
    ASSERT_TRUE(WaitFor(
        [&] { return Slurp(out).find("[\"True\",\"abc\",\"0\"]") != std::string::npos; }, 15s))
        << "out: " << Slurp(out) << "\nerr: " << Slurp(dir.File("err"));
    EXPECT_NE(Slurp(out).find("CHECK_STAFF_QUERY a b c\n"), std::string::npos);

    // What the screen shows, for a person to look at after the run.
    std::this_thread::sleep_for(500ms); // the window draws the answer after delivering it
    std::string photos = std::string(ZEPH_BINARY_DIR) + "/window-photos";
    std::filesystem::create_directories(photos);
    std::string shot = photos + "/zeph-host-gui.png";
    std::filesystem::remove(shot);
    auto import = zeph::testing::Run(
        {"/usr/bin/env", "DISPLAY=" + name, "/usr/bin/import", "-window", "root", shot}, {}, 30s);
    EXPECT_EQ(import.status, 0) << import.err;
    EXPECT_GT(std::filesystem::exists(shot) ? std::filesystem::file_size(shot) : 0u, 1000u);
    gui.Stop();
    xvfb.Stop();
}

} // namespace
