// The command line, repl lines, Input building and the JSON form of Output.
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/emulator/CommandLine.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

namespace zeph::emulator {
namespace {

using Words = std::vector<std::string>;

TEST(SplitLineTest, QuotesAndEscapesAsAShellDoes) {
    struct Case {
        const char* line;
        Words words;
    } cases[] = {
        {"call CHECK_STAFF_QUERY a b c", {"call", "CHECK_STAFF_QUERY", "a", "b", "c"}},
        {"  call\t1005   '两 个'  ", {"call", "1005", "两 个"}},
        {R"(call x "a \"b\" \\ \n")", {"call", "x", R"(a "b" \ \n)"}},
        {R"(call a\ b 'it''s')", {"call", "a b", "its"}},
        {"call '' \"\"", {"call", "", ""}},
        {"call x # comment", {"call", "x"}},
        {"call a#b", {"call", "a#b"}},
        {"# only a comment", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitLine(c.line), c.words) << c.line;
    }
    for (const char* bad : {"call 'open", "call \"open", "call x\\"}) {
        EXPECT_THROW(SplitLine(bad), EUsageError) << bad;
    }
}

TEST(ParseCommandLineTest, OptionsThenTheCall) {
    Options o =
        ParseCommandLine({"--edition", "basic", "--server", "d.db", "--answer", "yes", "--answer",
                          "/tmp/x", "--raw", "1", "--verbose", "call", "1006", "--answer", "q"});
    EXPECT_EQ(o.mode, Options::Mode::Call);
    EXPECT_EQ(o.edition, "basic");
    EXPECT_EQ(o.server, "d.db");
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(o.call.answers, (std::deque<std::string>{"yes", "/tmp/x", "q"}));
    EXPECT_EQ(o.call.raw, 1);
    EXPECT_EQ(o.call.words, (Words{"1006"}));
    // Known options may follow the word; "--" ends them; other dashes are words.
    Options late = ParseCommandLine(
        {"call", "1006", "question", "--answer", "yes", "-5", "--x", "--", "--answer", "--raw"});
    EXPECT_EQ(late.call.answers, (std::deque<std::string>{"yes"}));
    EXPECT_EQ(late.call.words, (Words{"1006", "question", "-5", "--x", "--answer", "--raw"}));
    EXPECT_TRUE(ParseCommandLine({"call", "x", "--scalar"}).call.scalar);
    EXPECT_TRUE(ParseCommandLine({"call"}).call.words.empty());
    EXPECT_FALSE(ParseCommandLine({"call"}).call.hasWords);
    EXPECT_EQ(ParseCommandLine({"repl"}).mode, Options::Mode::Repl);
    EXPECT_EQ(ParseCommandLine({"--help"}).mode, Options::Mode::Help);
    EXPECT_EQ(ParseCommandLine({"make-demo", "x.db"}).demoPath, "x.db");
}

TEST(ParseCommandLineTest, BadCommandLinesAreUsageErrors) {
    std::vector<Words> bad = {
        {},
        {"--edition", "pro", "call"},
        {"--raw", "x", "call"},
        {"--raw", "-1", "call"},
        {"--server"},
        {"--frobnicate", "call"},
        {"run"},
        {"repl", "extra"},
        {"make-demo"},
        {"repl", "call"},
        {"--raw", "1", "repl"},
        {"--scalar", "repl"},
        {"--answer"},
    };
    for (const Words& args : bad) {
        EXPECT_THROW(ParseCommandLine(args), EUsageError) << ::testing::PrintToString(args);
    }
}

TEST(ParseCallWordsTest, ReplLinesCarryAnswersAndRaw) {
    CallRequest r = ParseCallWords({"--answer", "no", "--raw", "0", "call", "1006", "q"});
    EXPECT_EQ(r.answers, (std::deque<std::string>{"no"}));
    EXPECT_EQ(r.raw, 0);
    EXPECT_EQ(r.words, (Words{"1006", "q"}));
    EXPECT_THROW(ParseCallWords({"--server", "x", "call"}), EUsageError);
    EXPECT_EQ(ParseCallWords({"call", "1006", "--answer", "yes"}).answers,
              (std::deque<std::string>{"yes"}));
    // Program options are words on a repl line.
    EXPECT_EQ(ParseCallWords({"call", "x", "--server", "y"}).words, (Words{"x", "--server", "y"}));
    EXPECT_THROW(ParseCallWords({"--answer", "x"}), EUsageError);
}

TEST(BuildInputTest, TextFilesAndLiteralAt) {
    testing::TempDir dir;
    std::string packet = "\xC8\xC8\xCF\xDF<\r\n\x00z";
    packet.push_back('\0');
    testing::WriteFile(dir.File("p.xml"), packet);
    CallRequest r;
    r.hasWords = true;
    r.words = {"CHECK_STAFF_QUERY", "热线", "@" + dir.File("p.xml"), "@@x", "@@"};
    Variant input = BuildInput(r);
    ASSERT_EQ(input.HighBound(), 4);
    EXPECT_EQ(input[1].AsText(), text::Utf8ToGbk("热线"));
    EXPECT_EQ(input[2].AsText(), packet);
    EXPECT_EQ(input[3].AsText(), "@x");
    EXPECT_EQ(input[4].AsText(), "@");
    EXPECT_TRUE(BuildInput(CallRequest{}).IsEmpty());
    r.scalar = true;
    r.words = {"word"};
    EXPECT_EQ(BuildInput(r), Variant("word"));
    r.words = {"a", "b"};
    EXPECT_THROW(BuildInput(r), EUsageError);
    r.scalar = false;
    r.words = {"x", "@" + dir.File("missing")};
    EXPECT_THROW(BuildInput(r), EUsageError);
    r.words = {"x", "@" + dir.Path()};
    EXPECT_THROW(BuildInput(r), EUsageError);
}

TEST(ToJsonTest, EveryKindOfVariant) {
    Variant nested = Variant::ArrayOf({Variant(1), Variant::ArrayOf({Variant("a")}), Variant()});
    Variant output =
        Variant::ArrayOf({Variant("True"), Variant(text::Utf8ToGbk("成功\"\\\n")), Variant(true),
                          Variant(2.5), Variant::Null(), nested, Variant(std::string("\x01", 1))});
    EXPECT_EQ(ToJson(output),
              "[\"True\",\"成功\\\"\\\\\\n\",true,2.5,null,[1,[\"a\"],null],\"\\u0001\"]");
    EXPECT_EQ(ToJson(Variant()), "null");
    EXPECT_EQ(ToJson(Variant::Array(0, -1)), "[]");
    EXPECT_EQ(ToJson(Variant(1.0 / 0.0)), "null");
    EXPECT_EQ(ToJson(Variant(0.1)), "0.1");
    EXPECT_EQ(ToJson(Variant(-1e300)), "-1e+300");
    // A byte sequence that is not host text still prints as valid JSON text.
    EXPECT_EQ(ToJson(Variant(std::string("\xFF"))), "\"?\"");
}

} // namespace
} // namespace zeph::emulator
