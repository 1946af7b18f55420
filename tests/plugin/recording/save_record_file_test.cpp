// SAVE_RECORDFILE and SAVE_CONVEYRECORDFILE against a real FTP server on loopback: a save
// window per recording row, in order; what the server received (one CWD of the directory with
// one final "/", binary mode); the files byte for byte; each failure with its message and log
// line; a failed download that never touches the agent's existing file.
#include "RecordingFixture.h"
#include "recording/untSaveRecordFile.h"
#include "support/FtpChecks.h"
#include "support/FtpTestServer.h"
#include "support/Subprocess.h"

#include <zeph/formdrive/User.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace recording_test {
namespace {

namespace fs = std::filesystem;
using morvane::recording::DefaultLocalName;
using morvane::recording::TfrmSaveRecordFile;
using zeph::testing::FtpTestServer;

const std::string kSerial = "202612081015000002";
const std::string kStaff = "10003";

constexpr auto Matching = &zeph::testing::CommandsStartingWith;

class SaveRecordFileTest : public RecordingFixture {
protected:
    static void SetUpTestSuite() {
        root_ = std::make_unique<zeph::testing::TempDir>();
        big_ = zeph::testing::BinaryTestBytes(10 * 1024 * 1024);
        zeph::testing::WriteFile(root_->File("rec/0571/20261208/1015000002a.v3"), big_);
        zeph::testing::WriteFile(root_->File("rec/0571/20261208/1015000002b.v3"), "");
        zeph::testing::WriteFile(root_->File("rec/0571/convey/1015000002c.v3"), "convey");
        server_ = std::make_unique<FtpTestServer>(root_->Path(), FtpTestServer::Login{"rec", "pw"});
    }
    static void TearDownTestSuite() {
        server_.reset();
        root_.reset();
    }

    void SetUp() override {
        RecordingFixture::SetUp();
        services->workerNo = kStaff;
        services->rights = {"02/020216"};
        commandsBefore_ = zeph::testing::QuietCommands(*server_).size();
        Paths("P_SV_GETRECORDFILEPATH", "FILEPATH",
              {"/rec/0571/20261208/1015000002a.v3", "/rec/0571/20261208/1015000002b.v3"});
        // One directory with a final "/", the other without.
        Locate("/rec/0571/20261208/1015000002a.v3", "/rec/0571/20261208/", "1015000002a.v3");
        Locate("/rec/0571/20261208/1015000002b.v3", "/rec/0571/20261208", "1015000002b.v3");
        procedures["P_QC_GETFTPFILEPATH"] = [this](const std::string& parameters,
                                                   zeph::Variant& result) {
            auto it = locations.find(parameters);
            if (it == locations.end()) {
                return false;
            }
            result = it->second;
            return true;
        };
    }

    void Paths(const std::string& procedure, const std::string& field,
               const std::vector<std::string>& paths, const std::string& code = "0") {
        std::vector<std::vector<std::string>> rows;
        for (const auto& path : paths) {
            rows.push_back({path, kStaff});
        }
        std::string packet = Packet({field, "STAFFNO"}, rows);
        procedures[procedure] = [packet, code](const std::string& parameters,
                                               zeph::Variant& result) {
            if (parameters != kSerial) {
                return false;
            }
            result = DatasetAnswer(packet, code);
            return true;
        };
    }

    // The location of a recording path: elements [2] to [8].
    zeph::Variant& Locate(const std::string& path, const std::string& dir, const std::string& file,
                          const std::string& password = "pw") {
        zeph::Variant answer = zeph::Variant::Array(0, 8);
        answer[0] = "True";
        answer[2] = "127.0.0.1";
        answer[3] = std::string();
        answer[4] = dir;
        answer[5] = file;
        answer[6] = "rec";
        answer[7] = password;
        answer[8] = std::to_string(server_->Port());
        return locations[path + "~" + kStaff] = answer;
    }

    // What the server received during this test; each request has closed its sessions.
    std::vector<std::string> Commands() const {
        return zeph::testing::SettledCommands(*server_, zeph::testing::SessionsEnded,
                                              commandsBefore_);
    }

    // Each save window: the person clicks 保存 (or the action given).
    void OnEachWindow(std::function<void(TfrmSaveRecordFile&, zeph::forms::User&)> action =
                          [](TfrmSaveRecordFile& f, zeph::forms::User& user) {
                              user.Click(f.bbtnSave);
                          }) {
        ui->When<TfrmSaveRecordFile>([this, action](TfrmSaveRecordFile& f, zeph::forms::User& u) {
            shownNames.push_back(f.memFileName.Text());
            EXPECT_TRUE(f.IsModal());
            action(f, u);
        });
    }

    std::string Local(const std::string& name) const { return local.File(name); }

    std::map<std::string, zeph::Variant> locations;
    std::vector<std::string> shownNames;
    zeph::testing::TempDir local;
    static inline std::unique_ptr<zeph::testing::TempDir> root_;
    static inline std::unique_ptr<FtpTestServer> server_;
    static inline std::string big_;
    std::size_t commandsBefore_ = 0;
};

TEST_F(SaveRecordFileTest, TwoRecordingsTwoWindowsInOrderFilesByteForByte) {
    OnEachWindow();
    ui->AnswerFile(Local("first.v3"));
    ui->AnswerFile(Local("second.v3"));
    EXPECT_TRUE(Call({"SAVE_RECORDFILE", kSerial, kStaff}).IsEmpty());

    const std::string url = "ftp://127.0.0.1/rec/0571/20261208";
    EXPECT_EQ(shownNames,
              (std::vector<std::string>{url + "/1015000002a.v3", url + "1015000002b.v3"}));
    ASSERT_EQ(ui->FileDialogs().size(), 2u);
    for (const auto& dialog : ui->FileDialogs()) {
        EXPECT_EQ(dialog.kind, zeph::forms::FileDialogKind::Save);
        EXPECT_EQ(dialog.name, "sgFile");
        EXPECT_EQ(dialog.filter, "录音文件(*.v3)|*.v3"_host);
        EXPECT_EQ(dialog.fileName, kSerial + ".v3");
    }
    EXPECT_TRUE(zeph::testing::ReadFile(Local("first.v3")) == big_);
    EXPECT_TRUE(fs::exists(Local("second.v3")));
    EXPECT_EQ(fs::file_size(Local("second.v3")), 0u);
    EXPECT_TRUE(ui.MessageTextsUtf8().empty());
    EXPECT_TRUE(services->logLines.empty());

    const std::vector<std::string> commands = Commands();
    EXPECT_EQ(Matching(commands, "CWD"),
              (std::vector<std::string>{"CWD /rec/0571/20261208/", "CWD /rec/0571/20261208/"}));
    EXPECT_EQ(Matching(commands, "TYPE"), (std::vector<std::string>{"TYPE I", "TYPE I"}));
    EXPECT_EQ(Matching(commands, "RETR"),
              (std::vector<std::string>{"RETR 1015000002a.v3", "RETR 1015000002b.v3"}));
    EXPECT_EQ(Matching(commands, "USER"), (std::vector<std::string>{"USER rec", "USER rec"}));
    EXPECT_EQ(ProcedureCalls(),
              (std::vector<std::string>{
                  "P_SV_GETRECORDFILEPATH(" + kSerial + ")",
                  "P_QC_GETFTPFILEPATH(/rec/0571/20261208/1015000002a.v3~" + kStaff + ")",
                  "P_QC_GETFTPFILEPATH(/rec/0571/20261208/1015000002b.v3~" + kStaff + ")"}));
    // Both windows are gone once the request has returned.
    EXPECT_EQ(main->FindComponentOf<TfrmSaveRecordFile>(), nullptr);
}

TEST_F(SaveRecordFileTest, ConveyedRecordingsComeFromTheirOwnProcedure) {
    Paths("P_SV_GETCONVEYRECORDFILEPATH", "FILENAME", {"/rec/0571/convey/1015000002c.v3"});
    Locate("/rec/0571/convey/1015000002c.v3", "/rec/0571/convey", "1015000002c.v3");
    OnEachWindow();
    ui->AnswerFile(Local("c.v3"));
    Call({"SAVE_CONVEYRECORDFILE", kSerial, kStaff});
    EXPECT_EQ(zeph::testing::ReadFile(Local("c.v3")), "convey");
    EXPECT_EQ(ProcedureCalls().at(0), "P_SV_GETCONVEYRECORDFILEPATH(" + kSerial + ")");
    EXPECT_EQ(Matching(Commands(), "CWD"), (std::vector<std::string>{"CWD /rec/0571/convey/"}));
}

TEST_F(SaveRecordFileTest, NoRecordingOrNoPathAnswer) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"procedure fails", [this] { procedures.erase("P_SV_GETRECORDFILEPATH"); }, {}},
        {"no rows",
         [this] { Paths("P_SV_GETRECORDFILEPATH", "FILEPATH", {}); },
         {"本记录无录音文件！"}},
        {"return code not 0",
         [this] { Paths("P_SV_GETRECORDFILEPATH", "FILEPATH", {"/rec/x.v3"}, "-1"); },
         {"本记录无录音文件！"}},
        {"short answer",
         [this] {
             procedures["P_SV_GETRECORDFILEPATH"] = [](const std::string&, zeph::Variant& r) {
                 r = zeph::Variant::Array(0, 2);
                 r[2] = "0";
                 return true;
             };
         },
         {"本记录无录音文件！"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zeph::testing::ScopedBackend person;
        c.arrange();
        Call({"SAVE_RECORDFILE", kSerial, kStaff});
        EXPECT_EQ(person.MessageTextsUtf8(), c.messages);
        EXPECT_TRUE(person->FileDialogs().empty());
        EXPECT_TRUE(person->Failures().empty());
    }
}

TEST_F(SaveRecordFileTest, OpeningFailuresSayWhyAndCloseTheWindow) {
    const std::string path = "/rec/0571/20261208/1015000002a.v3";
    struct Case {
        const char* name;
        std::function<void(zeph::Variant&)> change; // of the location answer
        const char* message;
    };
    const std::vector<Case> cases = {
        {"location unavailable", nullptr, "获取文件路径失败！"},
        {"seven texts short", [](zeph::Variant& a) { a = zeph::Variant::Array(0, 7); },
         "获取文件路径失败！"},
        {"an element that is no text", [](zeph::Variant& a) { a[6] = zeph::Variant::Array(0, 0); },
         "获取文件路径失败！"},
        {"no host", [](zeph::Variant& a) { a[2] = std::string(); }, "查询FTP服务器地址失败！"},
        {"wrong password", [](zeph::Variant& a) { a[7] = "nope"; }, "连接语音文件服务器失败！"},
        {"port not a number", [](zeph::Variant& a) { a[8] = "21a"; }, "连接语音文件服务器失败！"},
        {"server not there",
         [](zeph::Variant& a) {
             a[8] = "1"; // nothing listens on port 1 of loopback
         },
         "连接语音文件服务器失败！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zeph::testing::ScopedBackend person;
        Paths("P_SV_GETRECORDFILEPATH", "FILEPATH", {path});
        zeph::Variant& answer = Locate(path, "/rec/0571/20261208/", "1015000002a.v3");
        if (c.change) {
            c.change(answer);
        } else {
            locations.clear();
        }
        Call({"SAVE_RECORDFILE", kSerial, kStaff});
        EXPECT_EQ(person.MessageTextsUtf8(), (std::vector<std::string>{c.message}));
        ASSERT_EQ(person->Messages().size(), 1u);
        EXPECT_EQ(person->Messages()[0].source, "ErrorDlg");
        // The window never showed, and is gone.
        for (const auto& shown : person->Records()) {
            EXPECT_NE(shown.kind, zeph::forms::ShownKind::Window);
        }
        EXPECT_EQ(main->FindComponentOf<TfrmSaveRecordFile>(), nullptr);
    }
    // A host in the second element serves when the first is empty.
    zeph::testing::ScopedBackend person;
    zeph::Variant& answer = Locate(path, "/rec/0571/20261208/", "1015000002a.v3");
    answer[3] = answer[2];
    answer[2] = std::string();
    person->When<TfrmSaveRecordFile>([](TfrmSaveRecordFile& f, zeph::forms::User& user) {
        EXPECT_EQ(f.memFileName.Text(), "ftp://127.0.0.1/rec/0571/20261208/1015000002a.v3");
        EXPECT_EQ(f.memFileName.MaxLength, 200);
        EXPECT_TRUE(f.memFileName.ReadOnly);
        user.Click(f.bbtnCancel);
    });
    Call({"SAVE_RECORDFILE", kSerial, kStaff});
    EXPECT_EQ(person->Records().size(), 1u);
    EXPECT_TRUE(person->Failures().empty());
}

TEST_F(SaveRecordFileTest, OverwriteQuestionAndFailedCopiesKeepTheAgentsFile) {
    const std::string path = "/rec/0571/20261208/1015000002a.v3";
    Paths("P_SV_GETRECORDFILEPATH", "FILEPATH", {path});
    OnEachWindow();
    zeph::testing::WriteFile(Local("mine.v3"), "the agent's file");

    // "No": nothing is copied.
    ui->AnswerFile(Local("mine.v3"));
    ui->AnswerNo();
    Call({"SAVE_RECORDFILE", kSerial, kStaff});
    EXPECT_EQ(zeph::testing::ReadFile(Local("mine.v3")), "the agent's file");
    EXPECT_TRUE(Matching(Commands(), "RETR").empty());
    ASSERT_EQ(ui->Messages().size(), 1u);
    EXPECT_EQ(ui->Messages()[0].text, "文件已经存在，是否覆盖？"_host);
    EXPECT_EQ(ui->Messages()[0].source, "QuesDlg");
    EXPECT_NE(ui->Messages()[0].owner, handle); // the save window's own

    // "Yes", and the remote file is missing: the copy fails, the file stays whole.
    Locate(path, "/rec/0571/20261208/", "missing.v3");
    ui->AnswerFile(Local("mine.v3"));
    ui->AnswerYes();
    Call({"SAVE_RECORDFILE", kSerial, kStaff});
    EXPECT_EQ(zeph::testing::ReadFile(Local("mine.v3")), "the agent's file");
    EXPECT_EQ(ui.MessageTextsUtf8().back(), "拷贝文件失败！");
    EXPECT_EQ(ui->Messages().back().owner, zeph::forms::kNoOwner);
    ASSERT_EQ(services->logLines.size(), 1u);
    EXPECT_NE(services->logLines[0].find("550"), std::string::npos) << services->logLines[0];

    // A directory that is not there: the copy fails before any download.
    Locate(path, "/rec/nowhere", "1015000002a.v3");
    ui->AnswerFile(Local("mine.v3"));
    ui->AnswerYes();
    Call({"SAVE_RECORDFILE", kSerial, kStaff});
    EXPECT_EQ(zeph::testing::ReadFile(Local("mine.v3")), "the agent's file");
    EXPECT_EQ(ui.MessageTextsUtf8().back(), "拷贝文件失败！");
    EXPECT_EQ(Matching(Commands(), "CWD").back(), "CWD /rec/nowhere/");

    // "Yes" with the file there: replaced whole, and nothing else is left in the folder.
    Locate(path, "/rec/0571/20261208/", "1015000002a.v3");
    ui->AnswerFile(Local("mine.v3"));
    ui->AnswerYes();
    Call({"SAVE_RECORDFILE", kSerial, kStaff});
    EXPECT_TRUE(zeph::testing::ReadFile(Local("mine.v3")) == big_);
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(local.Path())) {
        entries.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"mine.v3"}));
}

TEST_F(SaveRecordFileTest, CancelledDialogAndCancelButtonCopyNothing) {
    Paths("P_SV_GETRECORDFILEPATH", "FILEPATH", {"/rec/0571/20261208/1015000002a.v3"});
    // The dialog cancelled: the window shows again and then ends, as 保存 ends it.
    int hidden = 0;
    int shownAgain = 0;
    OnEachWindow([&](TfrmSaveRecordFile& f, zeph::forms::User& user) {
        f.OnHide = [&](zeph::forms::Form&) { ++hidden; };
        f.OnShow = [&](zeph::forms::Form&) { ++shownAgain; };
        user.Click(f.bbtnSave);
        EXPECT_EQ(f.modalResult, zeph::forms::ModalResult::Ok);
    });
    ui->CancelFileDialog();
    Call({"SAVE_RECORDFILE", kSerial, kStaff});
    EXPECT_GE(hidden, 1);
    EXPECT_EQ(shownAgain, 1);

    OnEachWindow([](TfrmSaveRecordFile& f, zeph::forms::User& user) { user.Escape(f); });
    Call({"SAVE_RECORDFILE", kSerial, kStaff});
    EXPECT_EQ(ui->FileDialogs().size(), 1u);
    EXPECT_TRUE(Matching(Commands(), "RETR").empty());
    EXPECT_TRUE(ui.MessageTextsUtf8().empty());
}

TEST_F(SaveRecordFileTest, CopyFailuresAreLoggedInTheFullEditionOnly) {
    const std::string path = "/rec/0571/20261208/1015000002a.v3";
    for (morvane::Edition edition : {morvane::Edition::Full, morvane::Edition::Basic}) {
        const bool full = edition == morvane::Edition::Full;
        SCOPED_TRACE(full ? "full" : "basic");
        services->logLines.clear();
        struct Case {
            const char* remoteFile;
            bool stopServer;
            const char* log; // full edition
        };
        // Without a remote name; with the server gone once the window showed.
        for (const Case& c : {Case{"", false, "FTP文件名或本地文件名为空"},
                              Case{"1015000002a.v3", true, "连接FTP失败"}}) {
            zeph::testing::ScopedBackend person;
            Locate(path, "/rec/0571/20261208/", c.remoteFile);
            std::unique_ptr<FtpTestServer> own;
            if (c.stopServer) {
                own = std::make_unique<FtpTestServer>(root_->Path(),
                                                      FtpTestServer::Login{"rec", "pw"});
                locations[path + "~" + kStaff][8] = std::to_string(own->Port());
            }
            person->When<TfrmSaveRecordFile>([&](TfrmSaveRecordFile& f, zeph::forms::User& u) {
                if (own) {
                    own->Stop();
                }
                u.Click(f.bbtnSave);
            });
            person->AnswerFile(Local("x.v3"));
            auto* window = main->Adopt(std::make_unique<TfrmSaveRecordFile>(*main, edition));
            EXPECT_EQ(window->sgFile.Filter,
                      full ? "录音文件(*.v3)|*.v3"_host : "录音文件(*.*)|*.*"_host);
            window->ShowRecordFile(path, kStaff, kSerial);
            zeph::forms::Application()->ProcessReleases();
            EXPECT_EQ(person.MessageTextsUtf8(), (std::vector<std::string>{"拷贝文件失败！"}));
            EXPECT_FALSE(fs::exists(Local("x.v3")));
            if (full) {
                ASSERT_FALSE(services->logLines.empty());
                EXPECT_EQ(services->logLines.back(), zeph::text::Utf8ToGbk(c.log));
            }
        }
        // A missing remote file: the client's error text, in the full edition.
        zeph::testing::ScopedBackend person;
        Locate(path, "/rec/0571/20261208/", "missing.v3");
        person->When<TfrmSaveRecordFile>(
            [](TfrmSaveRecordFile& f, zeph::forms::User& u) { u.Click(f.bbtnSave); });
        person->AnswerFile(Local("x.v3"));
        auto* window = main->Adopt(std::make_unique<TfrmSaveRecordFile>(*main, edition));
        window->ShowRecordFile(path, kStaff, kSerial);
        zeph::forms::Application()->ProcessReleases();
        EXPECT_EQ(person.MessageTextsUtf8(), (std::vector<std::string>{"拷贝文件失败！"}));
        EXPECT_EQ(services->logLines.size(), full ? 3u : 0u);
    }
}

TEST_F(SaveRecordFileTest, ARemoteNameIsRequestedAsItStandsDotSegmentsIncluded) {
    // Two files of the same name: the one the location names, a level up, and another in the
    // directory changed to.
    zeph::testing::WriteFile(root_->File("rec/0571/x.v3"), "the recording named");
    zeph::testing::WriteFile(root_->File("rec/0571/20261208/x.v3"), "another recording");
    const std::string path = "/rec/0571/20261208/1015000002a.v3";
    Paths("P_SV_GETRECORDFILEPATH", "FILEPATH", {path});
    Locate(path, "/rec/0571/20261208/", "../x.v3");
    OnEachWindow();
    ui->AnswerFile(Local("x.v3"));
    Call({"SAVE_RECORDFILE", kSerial, kStaff});
    EXPECT_EQ(zeph::testing::ReadFile(Local("x.v3")), "the recording named");
    EXPECT_EQ(Matching(Commands(), "RETR"), (std::vector<std::string>{"RETR ../x.v3"}));
    EXPECT_TRUE(ui.MessageTextsUtf8().empty());
}

// A server that refuses SIZE, announces the size in its 150 reply (or not), sends half the
// file and reports success.
class ShortFtpServer {
public:
    ShortFtpServer(const std::string& root, const std::string& mode)
        : port_(zeph::testing::FreeLoopbackPort()),
          process_({"/usr/bin/python3", SHORT_FTP_SERVER, std::to_string(port_), root, mode,
                    log_.File("commands.log")}) {
        if (!zeph::testing::WaitForPort(port_, std::chrono::seconds(15))) {
            throw std::runtime_error("the short FTP server did not start");
        }
    }
    int Port() const { return port_; }

private:
    zeph::testing::TempDir log_;
    int port_;
    zeph::testing::Background process_;
};

TEST_F(SaveRecordFileTest, ATransferShorterThanAnnouncedKeepsTheAgentsFile) {
    const std::string path = "/rec/0571/20261208/1015000002a.v3";
    const std::string recording(4096, 'r');
    // A name holding " bytes" hides the announcement from a search for the first " bytes".
    zeph::testing::WriteFile(root_->File("rec/0571/20261208/call 2 bytes.v3"), recording);
    Paths("P_SV_GETRECORDFILEPATH", "FILEPATH", {path});
    OnEachWindow();
    ShortFtpServer announcing(root_->Path(), "announce");
    for (const auto& [name, size] :
         {std::pair<std::string, std::size_t>{"1015000002a.v3", big_.size()},
          std::pair<std::string, std::size_t>{"call 2 bytes.v3", recording.size()}}) {
        SCOPED_TRACE(name);
        services->logLines.clear();
        Locate(path, "/rec/0571/20261208/", name)[8] = std::to_string(announcing.Port());
        zeph::testing::WriteFile(Local("mine.v3"), "the agent's file");
        ui->AnswerFile(Local("mine.v3"));
        ui->AnswerYes();
        Call({"SAVE_RECORDFILE", kSerial, kStaff});
        EXPECT_EQ(zeph::testing::ReadFile(Local("mine.v3")), "the agent's file");
        EXPECT_EQ(ui.MessageTextsUtf8().back(), "拷贝文件失败！");
        ASSERT_EQ(services->logLines.size(), 1u);
        EXPECT_NE(services->logLines[0].find(std::to_string(size - size / 2)), std::string::npos)
            << services->logLines[0];
        std::vector<std::string> entries;
        for (const auto& entry : fs::directory_iterator(local.Path())) {
            entries.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(entries, (std::vector<std::string>{"mine.v3"}));
    }
}

TEST(DefaultLocalNameTest, SerialAndTheRemoteExtensionOnly) {
    struct Case {
        std::string remote;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"0930120001.v3", "S.v3"},   {"0930120001.tar.v3", "S.v3"},
        {"0930120001", "S"},         {"", "S"},
        {"../../etc/passwd", "S"},   {"a.v3/../../x", "S"},
        {"../../x.v3", "S.v3"},      {"dir.d/file", "S"},
        {"c:\\rec\\a.wav", "S.wav"}, {"a.v3\\..\\..", "S."},
        {"/abs/b.mp3", "S.mp3"},     {"录音.v3", "S.v3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remote);
        EXPECT_EQ(DefaultLocalName("S", zeph::text::Utf8ToGbk(c.remote)), c.expected);
    }
    // A serial number with separators makes no path either; a double-byte character whose
    // trail byte is "\" stays whole.
    EXPECT_EQ(DefaultLocalName("../20/1", "a.v3"), ".._20_1.v3");
    const std::string withTrailBackslash = "\x81\x5C"; // one GBK character
    EXPECT_EQ(DefaultLocalName(withTrailBackslash, "a.v3"), withTrailBackslash + ".v3");
    // A lead byte before "/" is no character with it: the "/" still separates.
    EXPECT_EQ(DefaultLocalName("S", "x.v3\x81/y"), "S");
    EXPECT_EQ(DefaultLocalName("\x81/", "a.v3"), "\x81_.v3");
}

} // namespace
} // namespace recording_test
