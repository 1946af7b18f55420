// zeph-host as a black box: the built program loads the built plug-in; exit statuses, JSON and
// raw Output, dialog lines on standard error, answers, the repl, the desk database.
#include "support/ScopedEnv.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace zeph::emulator {
namespace {

using testing::ProcessResult;

const std::string kProgram = std::string(ZEPH_BINARY_DIR) + "/bin/zeph-host";

ProcessResult Host(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), kProgram);
    return testing::Run(args, input);
}

struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
};

TEST(ZephHostTest, CallsAndTheirOutput) {
    const Case cases[] = {
        {"three arguments joined",
         {"call", "CHECK_STAFF_QUERY", "a", "b", "c"},
         0,
         "[\"True\",\"abc\",\"0\"]\n",
         ""},
        {"word in lower case",
         {"call", "check_staff_query", "a"},
         0,
         "[\"True\",\"a\",\"0\"]\n",
         ""},
        {"Chinese round trip",
         {"call", "CHECK_STAFF_QUERY", "热线", "服务"},
         0,
         "[\"True\",\"热线服务\",\"0\"]\n",
         ""},
        {"empty Input", {"call"}, 0, "null\n", "InfoDlg: 传入的参数为空\n"},
        {"information box", {"call", "1005", "您好"}, 0, "null\n", "InfoDlg: 您好\n"},
        {"error box", {"call", "1007", "失败"}, 0, "null\n", "ErrorDlg: 失败\n"},
        {"question answered yes",
         {"call", "1006", "question", "--answer", "yes"},
         0,
         "[\"True\"]\n",
         "QuesDlg: question\n"},
        {"question answered no",
         {"--answer", "no", "call", "1006", "q"},
         0,
         "[\"False\"]\n",
         "QuesDlg: q\n"},
        {"question without answer or terminal",
         {"call", "1006", "q"},
         0,
         "[\"False\"]\n",
         "QuesDlg: q\n"},
        {"other number", {"call", "1008"}, 0, "null\n", ""},
        {"unknown word", {"call", "NO_SUCH_WORD"}, 0, "null\n", ""},
        {"accepted word without work", {"call", "CHECK_DETAIL"}, 0, "null\n", ""},
        {"basic edition",
         {"--edition", "basic", "call", "CHECK_STAFF_QUERY", "x"},
         0,
         "[\"True\",\"x\",\"0\"]\n",
         ""},
        {"literal at",
         {"call", "CHECK_STAFF_QUERY", "@@a", "@@"},
         0,
         "[\"True\",\"@a@\",\"0\"]\n",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProcessResult r = Host(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

TEST(ZephHostTest, RawWritesHostTextBytes) {
    ProcessResult r = Host({"--raw", "1", "call", "CHECK_STAFF_QUERY", "热", "线"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, text::Utf8ToGbk("热线"));
    r = Host({"call", "CHECK_STAFF_QUERY", "--raw", "2"});
    EXPECT_EQ(r.out, "0");
    r = Host({"--raw", "3", "call", "CHECK_STAFF_QUERY"});
    EXPECT_EQ(r.status, 6);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no text element 3"), std::string::npos);
}

TEST(ZephHostTest, FileArgumentsAreBytesUnchanged) {
    testing::TempDir dir;
    std::string bytes = "\xC8\xC8\xCF\xDF\r\n<x/>";
    testing::WriteFile(dir.File("p.bin"), bytes);
    ProcessResult r = Host({"--raw", "1", "call", "CHECK_STAFF_QUERY", "@" + dir.File("p.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, bytes);
    r = Host({"call", "CHECK_STAFF_QUERY", "@" + dir.File("absent")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos);
}

TEST(ZephHostTest, AnErrorLeavingTheWordIsStatusThree) {
    // A single value instead of an array: reading the word fails inside the dispatcher.
    ProcessResult r = Host({"--scalar", "call", "CHECK_STAFF_QUERY"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "null\n");
    EXPECT_EQ(r.err.rfind("Error: ", 0), 0u) << r.err;
}

TEST(ZephHostTest, AnAnswerThatFitsNoButtonEndsTheWord) {
    ProcessResult r = Host({"call", "1006", "q", "--answer", "maybe"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "[null]\n");
    EXPECT_EQ(r.err.rfind("QuesDlg: q\nError: the answer 'maybe'", 0), 0u) << r.err;
}

TEST(ZephHostTest, ScriptsAreReadBeforeTheCall) {
    testing::TempDir dir;
    testing::WriteFile(dir.File("ok.txt"), "[TfrmSMEdit]\nclick btnOk\n");
    ProcessResult r = Host({"--script", dir.File("ok.txt"), "call", "CHECK_STAFF_QUERY", "x"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\"True\",\"x\",\"0\"]\n");
    testing::WriteFile(dir.File("bad.txt"), "[TfrmSMEdit]\nfrobnicate btnOk\n");
    r = Host({"--script", dir.File("bad.txt"), "call", "CHECK_STAFF_QUERY"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    r = Host({"--script", dir.File("absent.txt"), "call"});
    EXPECT_EQ(r.status, 2);
}

TEST(ZephHostTest, OtherFailuresHaveTheirOwnStatus) {
    testing::TempDir dir;
    testing::WriteFile(dir.File("not-a-db"), "hello, this is no database at all........");
    const Case cases[] = {
        {"bad option", {"--frobnicate", "call"}, 2, "", "zeph-host: unknown option --frobnicate"},
        {"nothing to do", {}, 2, "", "zeph-host: nothing to do"},
        {"plug-in missing",
         {"--plugin", dir.File("none.so"), "call"},
         4,
         "",
         "zeph-host: cannot load the plug-in"},
        {"library without ShowMorvane",
         {"--plugin", ZEPH_FOREIGN_LIBRARY, "call"},
         4,
         "",
         std::string("zeph-host: the library ") + ZEPH_FOREIGN_LIBRARY +
             " does not export ShowMorvane"},
        {"database missing",
         {"--server", dir.File("none.db"), "call"},
         5,
         "",
         "zeph-host: no desk database"},
        {"not a database", {"--server", dir.File("not-a-db"), "call"}, 5, "", "zeph-host: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProcessResult r = Host(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    }
}

TEST(ZephHostTest, ReplKeepsOnePlugInAndReportsEachLine) {
    std::string lines = "call CHECK_STAFF_QUERY 'a b' c\n"
                        "\n"
                        "# a comment\n"
                        "--answer yes call 1006 \"is it?\"\n"
                        "call 1006 again\n"
                        "call 'unterminated\n"
                        "call 1005 done\n";
    ProcessResult r = Host({"repl"}, lines);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "[\"True\",\"a bc\",\"0\"]\n[\"True\"]\n[\"False\"]\nnull\n");
    EXPECT_EQ(r.err, "QuesDlg: is it?\nQuesDlg: again\nzeph-host: unterminated ' quote\n"
                     "InfoDlg: done\n");
    r = Host({"repl"}, "call CHECK_STAFF_QUERY\nquit\ncall 1005 never\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "[\"True\",\"\",\"0\"]\n");
    EXPECT_EQ(r.err, "");
}

TEST(ZephHostTest, MakeDemoWritesADeskDatabaseToPointServerAt) {
    testing::TempDir dir;
    std::string db = dir.File("desk.db");
    ProcessResult r = Host({"make-demo", db});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(db));
    r = Host({"make-demo", db});
    EXPECT_EQ(r.status, 5);
    r = Host({"--server", db, "--verbose", "call", "CHECK_STAFF_QUERY", "x"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\"True\",\"x\",\"0\"]\n");
}

TEST(ZephHostTest, TemporaryDemoDatabaseIsRemovedAtExit) {
    testing::TempDir tmp;
    ProcessResult r, failed;
    {
        // The temporary folder by the names each platform reads.
        testing::ScopedEnv tmpdir("TMPDIR", tmp.Path());
        testing::ScopedEnv tmpWindows("TMP", tmp.Path());
        testing::ScopedEnv tempWindows("TEMP", tmp.Path());
        r = Host({"call", "CHECK_STAFF_QUERY"});
        failed = Host({"--scalar", "call", "CHECK_STAFF_QUERY"});
    }
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(failed.status, 3);
    EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
}

TEST(ZephHostTest, MakeDemoWhereNoFileCanBeWrittenIsAServerFailure) {
    testing::TempDir dir;
    testing::WriteFile(dir.File("plain"), "a file, not a folder");
    ProcessResult r = Host({"make-demo", dir.File("plain/sub/desk.db")});
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_EQ(r.err.rfind("zeph-host: ", 0), 0u) << r.err;
}

TEST(ZephHostTest, HelpListsTheOptions) {
    ProcessResult r = Host({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--answer VALUE"), std::string::npos);
}

} // namespace
} // namespace zeph::emulator
