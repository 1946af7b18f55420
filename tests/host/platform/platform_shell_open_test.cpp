// Opening a document with the desktop's opener, and the program chooser when that fails.
#include "support/TempDir.h"

#include <zeph/formdrive/ScriptedBackend.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/OpenWith.h>
#include <zeph/platform/ShellOpen.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

namespace {

namespace fs = std::filesystem;
namespace forms = zeph::forms;

class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = temp.Path();
        const char* opener = std::getenv("ZEPH_OPENER");
        savedOpener = opener ? std::optional<std::string>(opener) : std::nullopt;
        backend = std::make_shared<forms::ScriptedBackend>();
        forms::Application()->SetBackend(backend);
    }
    void TearDown() override {
        EXPECT_TRUE(backend->Failures().empty());
        EXPECT_EQ(backend->UnusedAnswers(), 0u);
        if (savedOpener) {
            setenv("ZEPH_OPENER", savedOpener->c_str(), 1);
        } else {
            unsetenv("ZEPH_OPENER");
        }
        forms::Application()->SetBackend(nullptr);
    }
    // A program that writes its argument to the file out and exits with code.
    std::string Script(const std::string& name, const std::string& out, int code) {
        std::string path = dir + "/" + name;
        std::ofstream(path) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << dir << "/" << out
                            << ".tmp'\nmv '" << dir << "/" << out << ".tmp' '" << dir << "/" << out
                            << "'\nexit " << code << "\n";
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string ReadWhenThere(const std::string& name) {
        // Bounded wait for a program that runs on its own.
        for (int i = 0; i < 250 && !fs::exists(dir + "/" + name); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::ifstream in(dir + "/" + name);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    zeph::testing::TempDir temp;
    std::string dir;
    std::optional<std::string> savedOpener;
    std::shared_ptr<forms::ScriptedBackend> backend;
};

TEST_F(ShellOpenTest, OpenerDefaultsToTheDesktopsOpener) {
    unsetenv("ZEPH_OPENER");
    EXPECT_EQ(zeph::platform::OpenerProgram(), "xdg-open");
    setenv("ZEPH_OPENER", "/opt/opener", 1);
    EXPECT_EQ(zeph::platform::OpenerProgram(), "/opt/opener");
}

TEST_F(ShellOpenTest, OpenerGetsTheNativePath) {
    setenv("ZEPH_OPENER", Script("opener.sh", "opened", 0).c_str(), 1);
    EXPECT_TRUE(zeph::platform::ShellOpen(dir + "/\xB1\xA8\xB8\xE6 1.doc"));
    EXPECT_EQ(ReadWhenThere("opened"), dir + "/报告 1.doc");
}

TEST_F(ShellOpenTest, OpenerKeepsNoneOfTheHostsDescriptors) {
    // A descriptor the host left inheritable must not stay open in the program.
    int fd = ::open(dir.c_str(), O_RDONLY);
    ASSERT_GE(fd, 3);
    std::string opener = dir + "/fds.sh";
    std::ofstream(opener) << "#!/bin/sh\nif [ -e /proc/$$/fd/" << fd << " ]; then echo open; else "
                          << "echo closed; fi > '" << dir << "/fds'\n";
    chmod(opener.c_str(), 0755);
    setenv("ZEPH_OPENER", opener.c_str(), 1);
    EXPECT_TRUE(zeph::platform::ShellOpen(dir + "/x.doc"));
    ::close(fd);
    EXPECT_EQ(ReadWhenThere("fds"), "closed\n");
}

TEST_F(ShellOpenTest, OpenerFailureOrAbsenceIsReported) {
    setenv("ZEPH_OPENER", Script("failing.sh", "failed", 4).c_str(), 1);
    EXPECT_FALSE(zeph::platform::ShellOpen(dir + "/x.doc"));
    setenv("ZEPH_OPENER", (dir + "/no-such-opener").c_str(), 1);
    EXPECT_FALSE(zeph::platform::ShellOpen(dir + "/x.doc"));
}

TEST_F(ShellOpenTest, ChooserStartsTheChosenProgram) {
    backend->AnswerFile(Script("viewer.sh", "viewed", 0));
    EXPECT_TRUE(zeph::forms::OpenWithChooser(dir + "/x.doc"));
    ASSERT_EQ(backend->FileDialogs().size(), 1u);
    EXPECT_EQ(backend->FileDialogs()[0].name, "OpenAsDialog");
    EXPECT_EQ(backend->FileDialogs()[0].kind, forms::FileDialogKind::Open);
    EXPECT_FALSE(backend->FileDialogs()[0].multiSelect);
    EXPECT_EQ(ReadWhenThere("viewed"), dir + "/x.doc");
}

TEST_F(ShellOpenTest, ChooserCancelledOrProgramMissing) {
    backend->CancelFileDialog();
    EXPECT_FALSE(zeph::forms::OpenWithChooser(dir + "/x.doc"));
    backend->AnswerFile(dir + "/no-such-program");
    EXPECT_FALSE(zeph::forms::OpenWithChooser(dir + "/x.doc"));
}

} // namespace
