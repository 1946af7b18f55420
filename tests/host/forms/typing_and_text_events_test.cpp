// Typing and pasting: the key filter sees each character before the text changes, the change
// handler sees the new text, and MaxLength counts bytes without splitting a double-byte
// character.
#include "FormsTestSupport.h"

#include <cctype>

namespace formstest {
namespace {

using zeph::text::GbkToUtf8;

TEST_F(FormsTest, TypedCharacterPassesKeyFilterThenChangesTextThenFiresChange) {
    TfrmSample f;
    std::vector<std::string> events;
    f.edtName.OnKeyPress = [&](zf::Control&, char& key) {
        events.push_back(std::string("key ") + key + " text=" + f.edtName.Text());
    };
    f.edtName.OnChange = [&](zf::Control&) { events.push_back("change text=" + f.edtName.Text()); };
    EXPECT_TRUE(user.Type(f.edtName, "ab"));
    std::vector<std::string> expected = {"key a text=", "change text=a", "key b text=a",
                                         "change text=ab"};
    EXPECT_EQ(events, expected);
}

TEST_F(FormsTest, KeyFilterSwallowsOrChangesCharacters) {
    TfrmSample f;
    // A digits-only filter as the serial-number field has, turning 'x' into '0'.
    f.edtName.OnKeyPress = [](zf::Control&, char& key) {
        if (key == 'x') {
            key = '0';
        } else if (!(key >= '0' && key <= '9') && key != 8) {
            key = 0;
        }
    };
    int changes = 0;
    f.edtName.OnChange = [&](zf::Control&) { ++changes; };
    user.Type(f.edtName, "1a x2 "_host);
    EXPECT_EQ(f.edtName.Text(), "102");
    EXPECT_EQ(changes, 3);
    // A double-byte character is refused whole when the filter refuses either byte.
    user.Type(f.edtName, "中"_host);
    EXPECT_EQ(f.edtName.Text(), "102");
}

TEST_F(FormsTest, DoubleByteCharacterReachesFilterAsLeadThenTrailByte) {
    TfrmSample f;
    std::vector<unsigned> bytes;
    f.edtName.OnKeyPress = [&](zf::Control&, char& key) {
        bytes.push_back(static_cast<unsigned char>(key));
    };
    user.Type(f.edtName, "中"_host);
    const std::string& zhong = "中"_host;
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], static_cast<unsigned char>(zhong[0]));
    EXPECT_EQ(bytes[1], static_cast<unsigned char>(zhong[1]));
    EXPECT_EQ(f.edtName.Text(), zhong);
}

struct LimitCase {
    const char* name;
    int maxLength;
    const char* preset; // UTF-8
    const char* typed;  // UTF-8
    const char* expected;
};

class MaxLengthTyping : public FormsTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(MaxLengthTyping, CountsBytesAndNeverSplitsACharacter) {
    const LimitCase& c = GetParam();
    TfrmSample f;
    f.edtName.MaxLength = c.maxLength;
    f.edtName.SetText(zeph::text::Utf8ToGbk(c.preset));
    user.Type(f.edtName, zeph::text::Utf8ToGbk(c.typed));
    EXPECT_EQ(GbkToUtf8(f.edtName.Text()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Edit, MaxLengthTyping,
    ::testing::Values(LimitCase{"fits", 4, "", "中文", "中文"},
                      LimitCase{"double byte refused at one byte left", 3, "", "中文", "中"},
                      LimitCase{"ascii fills the last byte", 3, "中", "ab", "中a"},
                      LimitCase{"refused character does not stop later ones", 4, "a", "中文b",
                                "a中b"},
                      LimitCase{"no limit", 0, "", "一二三四五", "一二三四五"}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

TEST_F(FormsTest, PasteSkipsKeyFilterAndCutsAtLimitOnCharacterBoundary) {
    TfrmSample f;
    int keys = 0;
    int changes = 0;
    f.edtName.OnKeyPress = [&](zf::Control&, char&) { ++keys; };
    f.edtName.OnChange = [&](zf::Control&) { ++changes; };
    f.edtName.MaxLength = 5;
    EXPECT_TRUE(user.Paste(f.edtName, "a中文字"_host));
    EXPECT_EQ(f.edtName.Text(), "a中文"_host);
    EXPECT_EQ(keys, 0);
    EXPECT_EQ(changes, 1);
    // Full: nothing more goes in and nothing changes.
    EXPECT_FALSE(user.Paste(f.edtName, "b"));
    EXPECT_EQ(changes, 1);
}

TEST_F(FormsTest, OneLineEditPastesUpToFirstLineBreakMemoKeepsLines) {
    TfrmSample f;
    user.Paste(f.edtName, "one\r\ntwo");
    EXPECT_EQ(f.edtName.Text(), "one");
    user.Paste(f.memContent, "one\r\ntwo");
    EXPECT_EQ(f.memContent.Lines(), (std::vector<std::string>{"one", "two"}));
}

TEST_F(FormsTest, ReadOnlyTextIgnoresTypingButKeyEventsStillFire) {
    TfrmSample f;
    f.memContent.ReadOnly = true;
    f.memContent.SetText("fixed");
    int keys = 0;
    f.memContent.OnKeyPress = [&](zf::Control&, char&) { ++keys; };
    user.Type(f.memContent, "xy");
    user.Paste(f.memContent, "z");
    EXPECT_EQ(f.memContent.Text(), "fixed");
    EXPECT_EQ(keys, 2);
}

TEST_F(FormsTest, BackspaceRemovesWholeDoubleByteCharacter) {
    TfrmSample f;
    f.edtName.SetText("a中"_host);
    user.Type(f.edtName, "\b");
    EXPECT_EQ(f.edtName.Text(), "a");
    user.ClearText(f.edtName);
    EXPECT_EQ(f.edtName.Text(), "");
}

TEST_F(FormsTest, ChangeHandlerMayPutTextBackAsTheReceiverFieldDoes) {
    TfrmSample f;
    std::string lastAccepted;
    f.edtName.OnChange = [&](zf::Control&) {
        const std::string& text = f.edtName.Text();
        if (text.find_first_not_of("0123456789;") != std::string::npos) {
            f.edtName.SetText(lastAccepted);
        } else {
            lastAccepted = text;
        }
    };
    user.Type(f.edtName, "139;");
    user.Paste(f.edtName, "12,3");
    EXPECT_EQ(f.edtName.Text(), "139;");
    f.edtName.SetText("abc"); // set by code: tested too
    EXPECT_EQ(f.edtName.Text(), "139;");
}

TEST_F(FormsTest, SpinEditFiltersLettersBeforeTheWindowsKeyFilter) {
    TfrmSample f;
    std::string seen;
    f.seCount.OnKeyPress = [&](zf::Control&, char& key) { seen += key; };
    f.seCount.SetText("");
    user.Type(f.seCount, "1a-2");
    EXPECT_EQ(seen, "1-2");
    EXPECT_EQ(f.seCount.Text(), "1-2");
    EXPECT_EQ(f.seCount.Value(), 0); // not a number: the minimum
    f.seCount.SetValue(3);
    user.Spin(f.seCount, -5);
    EXPECT_EQ(f.seCount.Value(), -2); // no bounds
    f.seCount.MinValue = 0;
    f.seCount.MaxValue = 10;
    user.Spin(f.seCount, 20);
    EXPECT_EQ(f.seCount.Value(), 10);
}

TEST_F(FormsTest, EnterInMemoMakesLineBreakInEditClicksDefaultButton) {
    TfrmSample f;
    int clicks = 0;
    f.btnOk.OnClick = [&](zf::Control&) { ++clicks; };
    user.Type(f.memContent, "a\rb");
    EXPECT_EQ(f.memContent.Text(), "a\r\nb");
    EXPECT_EQ(clicks, 0);
    std::vector<char> seen;
    f.edtName.OnKeyPress = [&](zf::Control&, char& key) { seen.push_back(key); };
    user.PressKey(f.edtName, zf::keys::Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(seen.empty()); // the default button took the key before it became a character
}

TEST_F(FormsTest, KeyDownHandlerCanSwallowEnterBeforeDefaultButton) {
    TfrmSample f;
    int clicks = 0;
    f.btnOk.OnClick = [&](zf::Control&) { ++clicks; };
    f.edtName.OnKeyDown = [](zf::Control&, std::uint16_t& key, zf::ShiftState) {
        if (key == zf::keys::Return) {
            key = 0;
        }
    };
    std::string typed;
    f.edtName.OnKeyPress = [&](zf::Control&, char& key) { typed += key; };
    user.PressKey(f.edtName, zf::keys::Return);
    EXPECT_EQ(clicks, 0);
    // The character still comes, as in the host framework, where a key-down handler cannot
    // stop the translated character.
    EXPECT_EQ(typed, "\r");
}

TEST_F(FormsTest, TypedKeysComeWithKeyDownAndKeyUp) {
    TfrmSample f;
    std::string order;
    f.edtName.OnKeyDown = [&](zf::Control&, std::uint16_t& key, zf::ShiftState shift) {
        order += "down " + std::to_string(key) + ((shift & zf::ssShift) ? "S " : " ");
    };
    f.edtName.OnKeyPress = [&](zf::Control&, char& key) {
        order += std::string("press ") + key + " ";
    };
    f.edtName.OnKeyUp = [&](zf::Control&, std::uint16_t& key, zf::ShiftState) {
        order += "up " + std::to_string(key) + " ";
    };
    user.Type(f.edtName, "aB;");
    EXPECT_EQ(order, "down 65 press a up 65 down 66S press B up 66 press ; ");
    EXPECT_EQ(f.edtName.Text(), "aB;");
}

TEST_F(FormsTest, KeyPreviewLetsWindowSeeKeysFirst) {
    TfrmSample f;
    f.KeyPreview = true;
    std::string order;
    f.OnKeyPress = [&](zf::Control&, char& key) {
        order += "form ";
        if (key == 'q') {
            key = 0;
        }
    };
    f.edtName.OnKeyPress = [&](zf::Control&, char&) { order += "edit "; };
    user.Type(f.edtName, "aq");
    EXPECT_EQ(order, "form edit form ");
    EXPECT_EQ(f.edtName.Text(), "a");
}

TEST_F(FormsTest, TypingIntoDisabledOrHiddenControlDoesNothing) {
    TfrmSample f;
    f.edtName.Enabled = false;
    EXPECT_FALSE(user.Type(f.edtName, "a"));
    EXPECT_EQ(f.edtName.Text(), "");
    // A control on a page that is not shown cannot be reached.
    EXPECT_FALSE(user.Type(f.edtOnPage, "a"));
    f.pgMain.SetActivePage(&f.tsSecond);
    EXPECT_TRUE(user.Type(f.edtOnPage, "a"));
    EXPECT_EQ(f.edtOnPage.Text(), "a");
}

} // namespace
} // namespace formstest
