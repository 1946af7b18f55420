// The script format: sections per window, one action per line; every bad line is refused
// with its line number and a plain reason.
#include "FormsTestSupport.h"

#include <zeph/formdrive/Script.h>

namespace formstest {
namespace {

TEST(ScriptParser, ReadsSectionsActionsCommentsAndEscapes) {
    zf::Script script = zf::ParseScript("\xEF\xBB\xBF# a comment\r\n"
                                        "[TfrmSMEdit]\r\n"
                                        "  type edtContent 你好\\s\\n世界 \r\n"
                                        "paste memContent a\\\\b\n"
                                        "\n"
                                        "[ frmOther ]\n"
                                        "select tvTree 0/2/1\n"
                                        "tick lvSelect \"B \\\"x\\\"\"\n"
                                        "select cmbPriorFlag 普通\n"
                                        "KEY edtFind Enter\n"
                                        "spin seInput -3\n"
                                        "set dtpDate 2024-05-01 08:30\n"
                                        "escape\n"
                                        "Show\n");
    ASSERT_EQ(script.windows.size(), 2u);
    EXPECT_EQ(script.windows[0].window, "TfrmSMEdit");
    EXPECT_EQ(script.windows[0].line, 2);
    ASSERT_EQ(script.windows[0].actions.size(), 2u);
    const zf::ScriptAction& type = script.windows[0].actions[0];
    EXPECT_EQ(type.verb, zf::ScriptVerb::Type);
    EXPECT_EQ(type.target, "edtContent");
    // Blanks at the end of a line are dropped; \s writes one that counts.
    EXPECT_EQ(type.text, zeph::text::Utf8ToGbk("你好 \n世界"));
    EXPECT_EQ(type.line, 3);
    EXPECT_EQ(script.windows[0].actions[1].text, "a\\b");
    const auto& other = script.windows[1].actions;
    EXPECT_EQ(script.windows[1].window, "frmOther");
    ASSERT_EQ(other.size(), 8u);
    EXPECT_EQ(other[0].item.kind, zf::ScriptItem::Kind::Index);
    EXPECT_EQ(other[0].item.path, (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(other[1].item.kind, zf::ScriptItem::Kind::Text);
    EXPECT_EQ(other[1].item.text, "B \"x\"");
    EXPECT_EQ(other[2].item.text, "普通"_host);
    EXPECT_EQ(other[3].verb, zf::ScriptVerb::Key);
    EXPECT_EQ(other[4].number, -3);
    EXPECT_EQ(other[5].text, "2024-05-01 08:30");
    EXPECT_EQ(other[6].verb, zf::ScriptVerb::Escape);
    EXPECT_EQ(other[7].verb, zf::ScriptVerb::Show);
}

struct BadLine {
    const char* script;
    int line;
    const char* message;
};

class ScriptParserRefuses : public ::testing::TestWithParam<BadLine> {};

TEST_P(ScriptParserRefuses, NamesLineAndReason) {
    const BadLine& c = GetParam();
    try {
        zf::ParseScript(c.script);
        FAIL() << "accepted: " << c.script;
    } catch (const zf::EScriptError& error) {
        EXPECT_EQ(error.Line(), c.line);
        EXPECT_EQ(std::string(error.what()),
                  std::string("line ") + std::to_string(c.line) + ": " + c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptParserRefuses,
    ::testing::Values(
        BadLine{"click btnOk", 1, "an action comes before any [window] section"},
        BadLine{"[w]\nclik btnOk", 2, "unknown action 'clik'"},
        BadLine{"[w]\nclick", 2, "'click' needs a control name"},
        BadLine{"[w]\nclick btn-ok", 2, "'btn-ok' is not a control name"},
        BadLine{"[w]\nclick btnOk now", 2, "'click' takes only a control name"},
        BadLine{"[w]\nrightclick edtName 2", 2, "'rightclick' takes only a control name"},
        BadLine{"[w]\ntype edt", 2, "'type' needs a text after the control name"},
        BadLine{"[w]\ntype edt a\\q", 2, "unknown escape \\q (known: \\n \\t \\s \\\\ \\\")"},
        BadLine{"[w]\ntype edt a\\", 2, "a backslash ends the text; write \\\\ for a backslash"},
        BadLine{"[w]\ntype edt \xF0\x9F\x98\x80", 2,
                "the text '\xF0\x9F\x98\x80' has characters the host code page cannot hold"},
        BadLine{"[w]\ntype edt \xC3\x28", 2, "the line is not valid UTF-8"},
        BadLine{"[w]\nselect cmb", 2, "'select' needs an item (an index or a text)"},
        BadLine{"[w]\nselect tv 0//1", 2, "bad index '0//1'"},
        BadLine{"[w]\nselect cmb 99999999999", 2, "bad index '99999999999'"},
        BadLine{"[w]\ntick lv \"open", 2, "a quoted item must end with a quote"},
        BadLine{"[w]\ntick lv \"a\" b", 2, "nothing may follow the quoted item"},
        BadLine{"[w]\nkey edt", 2,
                "'key' needs a key name (enter, escape, space, ...) or a character"},
        BadLine{"[w]\nkey edt enterr", 2, "unknown key 'enterr'"},
        BadLine{"[w]\nset dtp tomorrow", 2,
                "'tomorrow' is not a date (YYYY-MM-DD [HH:MM[:SS]]) or time (HH:MM[:SS])"},
        BadLine{"[w]\nspin se x", 2, "'spin' needs a whole number of steps"},
        BadLine{"[w]\nescape now", 2, "'escape' takes nothing after it"},
        BadLine{"[w]\nshow edtFind", 2, "'show' takes nothing after it"},
        BadLine{"[w\nclick a", 1, "a window section is written [window name]"},
        BadLine{"[]\n", 1, "'' is not a window class or name"},
        BadLine{"[w]\nclick a\rb", 2, "the line holds a control character"}));

TEST(ScriptParser, SingleCommandsHaveNoLineNumber) {
    zf::ScriptAction action = zf::ParseScriptAction("untick lbList 2");
    EXPECT_EQ(action.verb, zf::ScriptVerb::Untick);
    EXPECT_EQ(action.item.path, (std::vector<int>{2}));
    try {
        zf::ParseScriptAction("nope");
        FAIL();
    } catch (const zf::EScriptError& error) {
        EXPECT_STREQ(error.what(), "unknown action 'nope'");
    }
}

TEST_F(FormsTest, RunnerAppliesEachVerbToItsKindOfControl) {
    TfrmSample f;
    f.tvTree.Build({{"1", "", "城市"_host}, {"2", "1", "消息"_host}});
    f.lbList.Items.Add("x");
    f.dtpDate.SetDateTime(zf::EncodeDateTime({2024, 1, 2, 3, 4, 5, 0}));
    int buttonClicks = 0;
    f.edGroup.OnButtonClick = [&](zf::Control&) { ++buttonClicks; };
    // A right click gives the mouse events with the right button: no click, no focus.
    std::vector<std::string> mouse;
    f.edtName.OnMouseDown = [&](zf::Control&, zf::MouseButton button, zf::ShiftState shift, int,
                                int) {
        mouse.push_back("down " + std::to_string(static_cast<int>(button)) + " " +
                        std::to_string(shift));
    };
    f.edtName.OnMouseUp = [&](zf::Control&, zf::MouseButton button, zf::ShiftState shift, int,
                              int) {
        mouse.push_back("up " + std::to_string(static_cast<int>(button)) + " " +
                        std::to_string(shift));
    };
    f.edtName.OnClick = [&](zf::Control&) { mouse.push_back("click"); };
    zf::Script script = zf::ParseScript("[TfrmSample]\n"
                                        "type memContent a\\nb\n"
                                        "paste memContent \\nc\n"
                                        "select tvTree 消息\n"
                                        "tick lbList 0\n"
                                        "tick chkFlag\n"
                                        "click rbTwo\n"
                                        "set dtpDate 2025-06-07\n"
                                        "spin seCount 4\n"
                                        "select pgMain tsSecond\n"
                                        "type edtOnPage z\n"
                                        "button edGroup\n"
                                        "rightclick edtName\n"
                                        "enter\n");
    zf::RunWindowScript(script.windows[0], f, user);
    EXPECT_EQ(f.memContent.Text(), "a\r\nb\r\nc");
    EXPECT_EQ(f.tvTree.Selected()->Text, "消息"_host);
    EXPECT_TRUE(f.lbList.Checked(0));
    EXPECT_TRUE(f.chkFlag.Checked());
    EXPECT_TRUE(f.rbTwo.Checked());
    EXPECT_EQ(zf::FormatDateTime(f.dtpDate.DateTime()), "2025-06-07 03:04:05");
    EXPECT_EQ(f.seCount.Value(), 4);
    EXPECT_EQ(f.edtOnPage.Text(), "z");
    EXPECT_EQ(buttonClicks, 1);
    const std::string right = std::to_string(static_cast<int>(zf::MouseButton::Right));
    EXPECT_EQ(mouse, (std::vector<std::string>{"down " + right + " " + std::to_string(zf::ssRight),
                                               "up " + right + " 0"}));
    EXPECT_NE(f.ActiveControl(), &f.edtName);
}

struct RunError {
    const char* line;
    const char* message;
};

class ScriptRunnerRefuses : public FormsTest, public ::testing::WithParamInterface<RunError> {};

TEST_P(ScriptRunnerRefuses, NamesLineAndReason) {
    TfrmSample f;
    zf::Script script = zf::ParseScript(std::string("[TfrmSample]\n") + GetParam().line);
    try {
        zf::RunWindowScript(script.windows[0], f, user);
        FAIL() << "ran: " << GetParam().line;
    } catch (const zf::EUserAction& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptRunnerRefuses,
    ::testing::Values(
        RunError{"click btnNone", "line 2: the window TfrmSample has no control named 'btnNone'"},
        RunError{"select btnOk 0", "line 2: 'select' does not apply to btnOk (TButton)"},
        RunError{"select cmbList 7", "line 2: cmbList has no item 7 (it has 2)"},
        RunError{"select cmbList 3 - 无", "line 2: cmbList has no item '3 - 无'"},
        RunError{"tick lvSelect", "line 2: 'tick lvSelect' needs an item"},
        RunError{"select lvSelect 0/1", "line 2: lvSelect is a list: give one index, not a path"},
        RunError{"set edtName 2024-01-01", "line 2: 'set' does not apply to edtName (TEdit)"},
        RunError{"paste lvSelect x", "line 2: 'paste' does not apply to lvSelect (TListView)"},
        RunError{"select tvTree 3", "line 2: tvTree has no such node"}));

TEST_F(FormsTest, RunnerStopsAtActionsAfterTheWindowClosed) {
    TfrmSample f;
    ui->Load(zf::ParseScript("[TfrmSample]\nclick btnOk\ntype edtName late\n"));
    try {
        f.ShowModal();
        FAIL();
    } catch (const zf::EUserAction& error) {
        EXPECT_STREQ(error.what(), "line 3: the window TfrmSample has already closed");
    }
}

} // namespace
} // namespace formstest
