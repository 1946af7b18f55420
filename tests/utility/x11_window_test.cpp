// Window operations of CFunction on an X server (Xvfb, started here on a free display number),
// and their failure values without any display.

#include "support/SystemTestSupport.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using systest::Child;
using systest::LogHasEntry;

class XServer {
public:
    XServer() {
        for (int number = 90; number < 140 && !m_server; ++number) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (std::filesystem::exists(socket) ||
                std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
                continue;
            }
            auto server = std::make_unique<Child>(
                std::vector<std::string>{"Xvfb", ":" + std::to_string(number), "-nolisten", "tcp",
                                         "-screen", "0", "320x240x24"},
                false);
            if (systest::WaitUntil([&] { return std::filesystem::exists(socket); },
                                   std::chrono::seconds(10)) &&
                server->Wait(std::chrono::milliseconds(200)) == -1) {
                m_server = std::move(server);
                m_display = ":" + std::to_string(number);
            }
        }
    }
    ~XServer() {
        if (m_server) {
            m_server->Terminate(); // Xvfb removes its socket and lock file
        }
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    bool Running() const { return m_server != nullptr; }
    const std::string& Display() const { return m_display; }

private:
    std::unique_ptr<Child> m_server;
    std::string m_display;
};

class X11Windows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new XServer;
        if (server->Running()) {
            setenv("DISPLAY", server->Display().c_str(), 1);
        }
    }
    static void TearDownTestSuite() {
        unsetenv("DISPLAY");
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        // Xvfb is installed with the project's packages: its absence is a failure, not a skip.
        ASSERT_TRUE(server->Running()) << "Xvfb could not be started";
    }
    // A window helper with that title; its "ready" line gives the window id.
    std::unique_ptr<Child> Window(const std::string& title, const std::string& mode,
                                  unsigned long& id) {
        auto child =
            std::make_unique<Child>(std::vector<std::string>{TOLLUND_X_WINDOW_HELPER, title, mode});
        const std::string ready = child->ReadLine();
        EXPECT_EQ(ready.rfind("ready ", 0), 0u) << ready;
        id = ready.size() > 6 ? std::stoul(ready.substr(6)) : 0;
        return child;
    }
    static XServer* server;
};

XServer* X11Windows::server = nullptr;

bool KilledBySigkill(int status) {
    return status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

TEST_F(X11Windows, MessageIsPostedToTheWindowWithThatTitle) {
    unsigned long id = 0;
    auto other = Window("Other Window", "local", id);
    auto daemon = Window("Velkarn Daemon Test", "local", id);
    CFunction::FindWindowAndSendMsg("Velkarn Daemon Test", 0x400 + 5, 4000000000u, -3);
    EXPECT_EQ(daemon->ReadLine(), "message 1029 4000000000 -3");
    EXPECT_EQ(daemon->Wait(), 0);
}

TEST_F(X11Windows, MissingTitleLogsTheFixedText) {
    unsigned long id = 0;
    auto window = Window("Present", "local", id);
    CFunction::FindWindowAndSendMsg("Absent Title", 1, 2, 3);
    EXPECT_TRUE(LogHasEntry(systest::LogText(), "Not Find VelkarnDaemon."));
    EXPECT_EQ(window->Wait(std::chrono::milliseconds(300)), -1) << "no message reached it";
}

TEST_F(X11Windows, KillByTitleEndsTheOwningProcess) {
    unsigned long id = 0;
    auto window = Window("Kill By Title", "local", id);
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(std::string("Kill By Titl")), 0);
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(std::string("Kill By Title")), 1);
    EXPECT_TRUE(KilledBySigkill(window->Wait()));
}

TEST_F(X11Windows, KillByHandleEndsTheOwningProcess) {
    unsigned long id = 0;
    auto window = Window("Kill By Handle", "local", id);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(CFunction::WindowHandle{id}), 1);
    EXPECT_TRUE(KilledBySigkill(window->Wait()));
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(CFunction::WindowHandle{id}), 0) << "gone";
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(CFunction::WindowHandle{0}), 0);
}

TEST_F(X11Windows, WindowWithoutALocalOwnerIsNotKilled) {
    for (const std::string mode : {"nopid", "remote"}) {
        unsigned long id = 0;
        auto window = Window("Ownerless " + mode, mode, id);
        EXPECT_EQ(CFunction::FindProcessHandleAndKill("Ownerless " + mode), 0) << mode;
        EXPECT_EQ(window->Wait(std::chrono::milliseconds(200)), -1) << mode << " still runs";
    }
}

TEST(X11WithoutDisplay, OperationsGiveTheirFailureValues) {
    const char* saved = std::getenv("DISPLAY");
    const std::string previous = saved != nullptr ? saved : "";
    unsetenv("DISPLAY");
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(std::string("Any")), 0);
    EXPECT_EQ(CFunction::FindProcessHandleAndKill(CFunction::WindowHandle{42}), 0);
    const std::string before = systest::LogText();
    CFunction::FindWindowAndSendMsg("Any", 1, 2, 3);
    EXPECT_NE(systest::LogText().find("Not Find VelkarnDaemon.", before.size()), std::string::npos);
    if (saved != nullptr) {
        setenv("DISPLAY", previous.c_str(), 1);
    }
}

} // namespace
