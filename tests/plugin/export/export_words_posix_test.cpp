// The export words where files follow POSIX: a file the superuser cannot remove (the immutable
// flag), a read-only mode, a full disk (a file size limit), symbolic links, and the mode of new
// files under the umask.
#include "ExportTestKit.h"
#include "ExportWordsFixture.h"

#include <zeph/dataset/DataPacket.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>

namespace export_test {
namespace {

// Sets or clears the file's immutable flag, which stops even the superuser from removing it;
// false where the file system has no such flag.
bool SetImmutable(const std::string& path, bool immutable) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

TEST_F(ExportWordsTest, FileThatCannotBeRemovedIsNotOverwritten) {
    // The old file cannot be removed: the overwrite failure, for both words, and the workbook's
    // configuration is not saved. A folder that refuses removals stops other users; the
    // superuser is stopped by the file's immutable flag.
    std::filesystem::create_directory(temp.Path() + "/locked");
    const std::string kept = dir + "/locked/old.xls";
    WriteBytes(kept, "old");
    const bool superuser = ::geteuid() == 0;
    // Cleared however the test ends, so that the folder can go.
    struct Thaw {
        const std::string& path;
        bool frozen = false;
        ~Thaw() {
            if (frozen) {
                SetImmutable(path, false);
            }
        }
    } thaw{kept};
    if (superuser) {
        thaw.frozen = SetImmutable(kept, true);
        if (!thaw.frozen) {
            GTEST_SKIP() << "the superuser, on a file system without an immutable flag";
        }
    } else {
        std::filesystem::permissions(temp.Path() + "/locked",
                                     std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_exec);
    }
    int dllCalls = 0;
    services->onCallDll = [&dllCalls](auto&, auto&, zeph::Variant& out, bool) {
        ++dllCalls;
        out = zeph::Variant::ArrayOf({"True", "SV1", ""});
        return true;
    };
    std::filesystem::create_directory(temp.Path() + "/cfg");
    for (const char* word : {"SAVE_DATASET_TO_FILE", "SAVE_DATASET_TO_EXCEL"}) {
        SCOPED_TRACE(word);
        NewBackend();
        ConfirmPicker();
        backend->AnswerFile(kept);
        backend->AnswerYes();
        Call({word, "", "", "", kPacket});
        ASSERT_EQ(backend->Messages().size(), 2u);
        EXPECT_EQ(MessagesUtf8()[1], "覆盖文件【" + zeph::text::GbkToUtf8(kept) +
                                         "】失败，\r\n请确认文件是否正在使用！");
        EXPECT_EQ(backend->Messages()[1].source, "ErrorDlg");
    }
    EXPECT_EQ(ReadBytes(kept), "old");
    EXPECT_EQ(dllCalls, 1);
    EXPECT_FALSE(Exists(dir + "/cfg/exportFieldCfg_1001.xml"));
    std::filesystem::permissions(temp.Path() + "/locked", std::filesystem::perms::owner_all);
}

mode_t ModeOf(const std::string& hostPath) {
    struct stat info {};
    EXPECT_EQ(::lstat(zeph::text::GbkToUtf8(hostPath).c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST_F(ExportWordsTest, ReadOnlyFileStopsTheWorkbookWordAndNotTheFileWord) {
    // As the host platform: the workbook word deletes first, which a read-only file refuses,
    // then clears the attribute; the file word clears it first. The superuser alike.
    const std::string path = dir + "/ro.xls";
    WriteBytes(path, "old");
    std::filesystem::permissions(zeph::text::GbkToUtf8(path), std::filesystem::perms::owner_read);
    ConfirmPicker();
    backend->AnswerFile(path);
    backend->AnswerYes();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    ASSERT_EQ(backend->Messages().size(), 2u);
    EXPECT_EQ(MessagesUtf8()[1],
              "覆盖文件【" + zeph::text::GbkToUtf8(path) + "】失败，\r\n请确认文件是否正在使用！");
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(ModeOf(path), 0600u) << "the attribute was cleared after the refused delete";
    EXPECT_EQ(FilesIn(), 1u);

    // Cleared, the next export replaces it.
    NewBackend();
    ConfirmPicker();
    backend->AnswerFile(path);
    backend->AnswerYes();
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(MessagesUtf8().back(), SavedText(path));
    EXPECT_EQ(ReadBytes(path).substr(0, 2), "PK");

    // The file word replaces a read-only file at once.
    const std::string text = dir + "/ro.txt";
    WriteBytes(text, "old");
    std::filesystem::permissions(zeph::text::GbkToUtf8(text), std::filesystem::perms::owner_read);
    NewBackend();
    ConfirmPicker();
    backend->AnswerYes();
    SaveToFile(text, "", "X");
    EXPECT_EQ(ReadBytes(text), "X\r\n1\r\n2\r\n");
    EXPECT_EQ(MessagesUtf8().back(), SavedText(text));
}

// Limits the size of any file this process writes while it lives: a full disk, as a writer
// sees it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(ExportWordsTest, AnOldFileIsReplacedOnlyByACompleteNewFile) {
    zeph::dataset::TRecordTable big;
    big.AddField({"A", "string", 0, {}});
    for (int i = 0; i < 65536; ++i) {
        big.AppendRow({"v"});
    }
    const std::string bigPacket = zeph::dataset::WriteDataPacket(big);
    struct Case {
        const char* what;
        const char* word;
        const char* name;
        std::string packet;
        bool fullDisk;
        bool message; // the save-failure message after the question
    } cases[] = {
        {"an extension the word does not write", "SAVE_DATASET_TO_FILE", "a.csv", kPacket, false,
         false},
        {"more records than XLS rows", "SAVE_DATASET_TO_FILE", "b.xls", bigPacket, false, true},
        {"a text file on a full disk", "SAVE_DATASET_TO_FILE", "d.txt", bigPacket, true, true},
        {"an XLS file on a full disk", "SAVE_DATASET_TO_FILE", "e.xls", kPacket, true, true},
        {"a workbook on a full disk", "SAVE_DATASET_TO_EXCEL", "f.xls", kPacket, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir + "/" + c.name;
        WriteBytes(path, "old");
        NewBackend();
        ConfirmPicker();
        backend->AnswerFile(path);
        backend->AnswerYes();
        {
            std::optional<FileSizeLimit> limit;
            if (c.fullDisk) {
                limit.emplace(64);
            }
            Call({c.word, "", "", "", c.packet});
        }
        EXPECT_EQ(ReadBytes(path), "old");
        EXPECT_EQ(backend->Messages().size(), c.message ? 2u : 1u);
        if (c.message) {
            EXPECT_EQ(MessagesUtf8().back(), FailedText(path));
        }
    }
    EXPECT_EQ(FilesIn(), std::size(cases)) << "no temporary file is left behind";
}

TEST_F(ExportWordsTest, ASymbolicLinkIsReplacedAndTheFileItPointsToNeverChanges) {
    const std::string target = temp.Path() + "/target.txt";
    std::ofstream(target) << "keep";
    ::chmod(target.c_str(), 0444);
    for (const char* word : {"SAVE_DATASET_TO_FILE", "SAVE_DATASET_TO_EXCEL"}) {
        SCOPED_TRACE(word);
        const std::string link = temp.Path() + "/link.txt";
        std::filesystem::remove(link);
        std::filesystem::create_symlink(target, link);
        NewBackend();
        ConfirmPicker();
        backend->AnswerFile(dir + "/link.txt");
        backend->AnswerYes();
        Call({word, "", "", "", kPacket});
        EXPECT_EQ(MessagesUtf8().back(), SavedText(dir + "/link.txt"));
        EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link is replaced by the file";
        EXPECT_NE(ReadBytes(dir + "/link.txt"), "keep");
        EXPECT_EQ(ReadBytes(dir + "/target.txt"), "keep");
        EXPECT_EQ(ModeOf(dir + "/target.txt"), 0444u);
    }
}

TEST_F(ExportWordsTest, EveryFileIsCreatedWithTheUsualMode) {
    // A umask other than the common 022, so that a fixed 0644 shows.
    const mode_t savedMask = ::umask(002);
    int dllCalls = 0;
    services->onCallDll = [&dllCalls](auto&, auto&, zeph::Variant& out, bool) {
        ++dllCalls;
        out = zeph::Variant::ArrayOf({"True", "SV1", ""});
        return true;
    };
    std::filesystem::create_directory(temp.Path() + "/cfg");
    for (const char* name : {"m.txt", "m.xls"}) {
        NewBackend();
        ConfirmPicker();
        SaveToFile(dir + "/" + name, "", "");
        EXPECT_EQ(ModeOf(dir + "/" + name), 0664u) << name;
    }
    NewBackend();
    ConfirmPicker();
    backend->AnswerFile(dir + "/book.xls");
    Call({"SAVE_DATASET_TO_EXCEL", "", "", "", kPacket});
    EXPECT_EQ(ModeOf(dir + "/book.xls"), 0664u);
    EXPECT_EQ(dllCalls, 1);
    EXPECT_EQ(ModeOf(dir + "/cfg/exportFieldCfg_1001.xml"), 0664u);
    ::umask(savedMask);
}

} // namespace
} // namespace export_test
