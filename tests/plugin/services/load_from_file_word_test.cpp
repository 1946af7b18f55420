// LOADFROMFILE asks for a text file and hands back its text with CR LF line breaks, and its
// first bytes up to a limit without ever splitting a double-byte character.
#include "services/TextFileLoad.h"
#include "support/ServicesFixture.h"

#include <zeph/forms/Edit.h>
#include <zeph/forms/Strings.h>

#include <filesystem>

namespace services_test {
namespace {

using zeph::Variant;

class LoadFromFileWordTest : public ServicesFixture {
protected:
    Variant Load(const std::string& path, const std::string& limit,
                 const std::string& filter = "文本文件|*.txt"_host) {
        backend->AnswerFiles({path});
        Variant output = Call({"LOADFROMFILE", filter, limit});
        EXPECT_TRUE(output.IsArray());
        EXPECT_EQ(output.HighBound(), 1);
        return output;
    }
};

TEST_F(LoadFromFileWordTest, DialogIsNamedAndFilteredAsAsked) {
    std::string path = WriteFile("a.txt", "abc");
    Load(path, "2", "文本文件|*.txt|所有文件|*.*"_host);
    ASSERT_EQ(backend->FileDialogs().size(), 1u);
    const auto& request = backend->FileDialogs()[0];
    EXPECT_EQ(request.kind, zeph::forms::FileDialogKind::Open);
    EXPECT_EQ(request.name, "OpenDialogTxtFile");
    EXPECT_EQ(request.filter, "文本文件|*.txt|所有文件|*.*"_host);
    EXPECT_FALSE(request.multiSelect);
    EXPECT_EQ(request.owner, zeph::forms::Form::FromHandle(handle)->Handle());
}

TEST_F(LoadFromFileWordTest, LimitGivesTheFirstBytes) {
    std::string path = WriteFile("a.txt", "abcdef\nghi");
    struct Case {
        const char* limit;
        const char* leading;
    };
    const Case cases[] = {
        {"3", "abc"},
        {"+3", "abc"},
        {"0", ""},
        {"-5", ""},
        {"x", ""},
        {"", ""},
        {" 3", ""},
        {"99999999999", ""}, // not a 32-bit number: no limit
        {"1000", "abcdef\r\nghi"},
        {"7", "abcdef\r"}, // the limit counts bytes of the text as the control holds it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        Variant output = Load(path, c.limit);
        EXPECT_EQ(output[0].AsText(), "abcdef\r\nghi");
        EXPECT_EQ(output[1], Variant(c.leading));
    }
}

TEST_F(LoadFromFileWordTest, LimitNeverCutsADoubleByteCharacterInHalf) {
    const std::string text = "A"_host + "中文"_host + "B"; // 1 + 2 + 2 + 1 bytes
    std::string path = WriteFile("gbk.txt", text);
    const std::pair<const char*, std::string> cases[] = {
        {"1", "A"},
        {"2", "A"},
        {"3", "A"_host + "中"_host},
        {"4", "A"_host + "中"_host},
        {"5", "A"_host + "中文"_host},
        {"6", text},
    };
    for (const auto& [limit, leading] : cases) {
        SCOPED_TRACE(limit);
        Variant output = Load(path, limit);
        EXPECT_EQ(output[0].AsText(), text);
        EXPECT_EQ(output[1].AsText(), leading);
        EXPECT_TRUE(zeph::text::IsValidGbk(output[1].AsText()));
    }
}

TEST_F(LoadFromFileWordTest, LinesAreJoinedWithCarriageReturnLineFeed) {
    Variant output =
        Load(std::string(ZEPH_SOURCE_DIR) + "/tests/data/services/mixed_breaks_gbk.txt", "-1");
    EXPECT_EQ(output[0].AsText(), "第一行\r\n第二行\r\n第三行\r\n最后"_host);
    EXPECT_EQ(Load(WriteFile("end.txt", "x\n\ny\r\n"), "")[0].AsText(), "x\r\n\r\ny");
}

TEST(JoinedLinesTest, SameTextAsTheMemoLoadedLineByLine) {
    for (const std::string& text :
         {std::string(), std::string("a"), std::string("\n"), std::string("\r"),
          std::string("\r\n"), std::string("a\n"), std::string("a\n\n"), std::string("\n\na"),
          std::string("a\r\rb"), std::string("a\n\rb"), std::string("a\r\n\r\n"),
          std::string("\xD6\xD0\r\n\xCE\xC4\r")}) {
        SCOPED_TRACE(testing::PrintToString(text));
        zeph::forms::Strings lines;
        lines.SetText(text);
        zeph::forms::Memo memo(nullptr, "memo");
        memo.SetLines(lines.Items());
        EXPECT_EQ(morvane::JoinedLines(text), memo.Text());
    }
}

TEST_F(LoadFromFileWordTest, AMillionEmptyLines) {
    Variant output = Load(WriteFile("breaks.txt", std::string(1000000, '\n')), "3");
    EXPECT_EQ(output[0].AsText().size(), 2u * 999999u);
    EXPECT_EQ(output[1], Variant("\r\n\r"));
}

TEST_F(LoadFromFileWordTest, CancelLeavesEmptyTextAndEmpty) {
    backend->CancelFileDialog();
    Variant output = Call({"LOADFROMFILE", "", "3"});
    EXPECT_EQ(output[0], Variant(""));
    EXPECT_TRUE(output[1].IsEmpty());
    EXPECT_TRUE(backend->Messages().empty());
}

TEST_F(LoadFromFileWordTest, EmptyAndNonGbkFilesAreHandedBackAsTheyAre) {
    Variant empty = Load(WriteFile("empty.txt", ""), "3");
    EXPECT_EQ(empty[0], Variant(""));
    EXPECT_EQ(empty[1], Variant(""));
    // UTF-8 bytes are not GBK; they come back unchanged rather than converted or refused.
    const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87";
    EXPECT_EQ(Load(WriteFile("utf8.txt", utf8), "")[0].AsText(), utf8);
    // A text control holds no zero byte: the text ends there.
    EXPECT_EQ(Load(WriteFile("bin.txt", std::string("ab\0cd", 5)), "")[0].AsText(), "ab");
    EXPECT_TRUE(backend->Messages().empty());
}

TEST_F(LoadFromFileWordTest, UnreadableOrHugeFilesAreReported) {
    std::string huge = dir + "/huge.txt";
    {
        WriteFile("huge.txt", "");
        std::filesystem::resize_file(
            huge, static_cast<std::uintmax_t>(morvane::kMaxTextFileBytes + 1)); // sparse
    }
    std::vector<std::string> paths = {huge, dir, dir + "/missing.txt"};
    // A link to nothing, where the user may make links (Windows allows it to few).
    std::string dangling = dir + "/dangling.txt";
    std::error_code noLinks;
    std::filesystem::create_symlink(dir + "/nowhere", dangling, noLinks);
    if (!noLinks) {
        paths.push_back(dangling);
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        NewBackend();
        Variant output = Load(path, "3");
        EXPECT_EQ(output[0], Variant(""));
        EXPECT_TRUE(output[1].IsEmpty());
        ASSERT_EQ(backend->Messages().size(), 1u);
        EXPECT_EQ(backend->Messages()[0].text, "读取文件失败。"_host);
        EXPECT_EQ(backend->Messages()[0].source, "InfoDlg");
    }
    EXPECT_FALSE(Exists(dir + "/missing.txt"));
}

TEST_F(LoadFromFileWordTest, AFileOfExactlyTheLargestSizeIsRead) {
    std::string path = dir + "/big.txt";
    WriteFile("big.txt", "");
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(morvane::kMaxTextFileBytes));
    Variant output = Load(path, "4");
    EXPECT_EQ(output[0], Variant("")); // all zero bytes: the text ends at once
    EXPECT_TRUE(backend->Messages().empty());
}

} // namespace
} // namespace services_test
