// The call test window driven through zeph-host with a window script, in each edition: the
// window shows its fields with the script's show action, and its call reaches the library it
// lives in (the desk maps Morvane.dll to the plug-in zeph-host loaded).
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

const std::string kProgram = std::string(ZEPH_BINARY_DIR) + "/bin/zeph-host";

// The snapshots the script's show actions wrote, each from its window line to the next.
std::vector<std::string> Snapshots(const std::string& err) {
    std::vector<std::string> shots;
    const std::string head = "TFrmTestMain \"FrmTestMain\"\n";
    for (auto at = err.find(head); at != std::string::npos;) {
        auto next = err.find(head, at + head.size());
        shots.push_back(err.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    return shots;
}

bool Has(const std::string& text, const std::string& line) {
    return text.find("\n" + line + "\n") != std::string::npos;
}

std::vector<std::string> Handles(const std::string& err) {
    std::vector<std::string> handles;
    std::regex pattern("Host: ShowMorvane -> ([0-9]+)\n");
    for (std::sregex_iterator it(err.begin(), err.end(), pattern), end; it != end; ++it) {
        handles.push_back((*it)[1]);
    }
    return handles;
}

class TestWindowThroughZephHostTest : public ::testing::TestWithParam<const char*> {};

TEST_P(TestWindowThroughZephHostTest, GenerateCallShorterResultAndClose) {
    zeph::testing::TempDir dir;
    const std::string script = dir.File("window.txt");
    zeph::testing::WriteFile(
        script, R"(# Generate with the start values, call a known word, then a word with a shorter
# result, and close the window.
[TFrmTestMain]
click btnGo
show
select cbList CHECK_STAFF_QUERY
type edInput1 甲
type edInput2 b
click btnCall
show
clear edInput0
type edInput0 1006
click btnCall
show
close
)");
    zeph::testing::ProcessResult r =
        zeph::testing::Run({kProgram, "--edition", GetParam(), "--verbose", "--script", script,
                            "--answer", "no", "repl"},
                           "call TEST\ncall CHECK_STAFF_QUERY after\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "null\n[\"True\",\"after\",\"0\"]\n");

    std::vector<std::string> shots = Snapshots(r.err);
    ASSERT_EQ(shots.size(), 3u) << r.err;
    // Generated: Input[0..3] and Output[0..2], all empty, the numbers locked.
    for (const char* line :
         {"    edInput0 (TLabeledEdit)", "    edInput3 (TLabeledEdit)",
          "    edOutput2 (TLabeledEdit)", "    SubLabel (TLabel): Input[3]: ",
          "    SubLabel (TLabel): Output[2]: ", "  seInput (TSpinEdit) disabled: 3",
          "  seOutput (TSpinEdit) disabled: 2", "  btnGo (TButton): 清空"}) {
        EXPECT_TRUE(Has(shots[0], line)) << line << "\n" << shots[0];
    }
    EXPECT_EQ(shots[0].find("edInput4"), std::string::npos);
    EXPECT_EQ(shots[0].find("edOutput3"), std::string::npos);
    // Called: the word came back into the dispatcher and filled the outputs.
    for (const char* line :
         {"    edInput0 (TLabeledEdit): CHECK_STAFF_QUERY", "    edOutput0 (TLabeledEdit): True",
          "    edOutput1 (TLabeledEdit): 甲b", "    edOutput2 (TLabeledEdit): 0"}) {
        EXPECT_TRUE(Has(shots[1], line)) << line << "\n" << shots[1];
    }
    // The question answered no gives one element: the later fields stay.
    for (const char* line :
         {"    edOutput0 (TLabeledEdit): False", "    edOutput1 (TLabeledEdit): 甲b",
          "    edOutput2 (TLabeledEdit): 0"}) {
        EXPECT_TRUE(Has(shots[2], line)) << line << "\n" << shots[2];
    }
    EXPECT_NE(r.err.find("QuesDlg: "), std::string::npos);

    // The call reached the library zeph-host runs, not the one the demo desk lists for the name.
    const std::string library = std::string(GetParam()) == std::string("basic")
                                    ? ZEPH_PLUGIN_BASIC_NAME
                                    : ZEPH_PLUGIN_FULL_NAME;
    const std::size_t called = r.err.find("Server: CallDll Morvane.dll -> ");
    ASSERT_NE(called, std::string::npos) << r.err;
    // The library's path, in the platform's separators (the window's text names Morvane.dll too).
    const std::size_t named = r.err.find(library + "\n", called);
    ASSERT_NE(named, std::string::npos) << r.err;
    ASSERT_GT(named, 0u);
    EXPECT_TRUE(r.err[named - 1] == '/' || r.err[named - 1] == '\\') << r.err;
    // Closing the window closed the main window: the next request got a new one.
    std::vector<std::string> handles = Handles(r.err);
    ASSERT_EQ(handles.size(), 2u) << r.err;
    EXPECT_NE(handles[0], handles[1]);
}

INSTANTIATE_TEST_SUITE_P(Editions, TestWindowThroughZephHostTest,
                         ::testing::Values("full", "basic"));

} // namespace
