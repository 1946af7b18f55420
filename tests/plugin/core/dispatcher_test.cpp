// The calling convention: empty input, numeric codes, word matching and Output's shape.
#include "support/PluginHost.h"
#include "support/ScopedBackend.h"

#include <zeph/client/Variant.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

namespace {

using zeph::Variant;
using zeph::testing::Edition;
using zeph::testing::PluginHost;
using zeph::testing::ScopedBackend;

Variant Words(std::initializer_list<Variant> elements) {
    return Variant::ArrayOf(elements);
}

class DispatcherTest : public ::testing::TestWithParam<Edition> {
protected:
    void SetUp() override { host_.ShowMorvane(77); }
    void TearDown() override {
        EXPECT_TRUE(ui_->Failures().empty());
        EXPECT_EQ(ui_->UnusedAnswers(), 0u);
    }
    PluginHost host_{GetParam()};
    ScopedBackend ui_;
};

TEST_P(DispatcherTest, EmptyOrNullInputShowsTheMessage) {
    for (const Variant& input : {Variant(), Variant::Null()}) {
        Variant output = Variant("left by the host");
        host_.Call(input, output);
        EXPECT_TRUE(output.IsEmpty());
    }
    ASSERT_EQ(ui_->Messages().size(), 2u);
    EXPECT_EQ(ui_->Messages()[0].source, "InfoDlg");
    EXPECT_EQ(ui_.MessageTextsUtf8()[0], "传入的参数为空");
    EXPECT_EQ(ui_->Messages()[0].owner, host_.MainHandle());
}

TEST_P(DispatcherTest, CheckStaffQueryJoinsItsArgumentsWhateverTheCase) {
    Variant output = host_.CallWords({"check_staff_query", "a"});
    ASSERT_TRUE(output.IsArray());
    EXPECT_EQ(output.LowBound(), 0);
    ASSERT_EQ(output.HighBound(), 2);
    EXPECT_EQ(output[0].AsText(), "True");
    EXPECT_EQ(output[1].AsText(), "a");
    EXPECT_EQ(output[2].AsText(), "0");
    EXPECT_EQ(host_.CallWords({"Check_Staff_Query", "a", "b", "c"})[1].AsText(), "abc");
    // Elements that are not text are read through the variant's text conversion.
    Variant mixed = host_.Call(Words({"CHECK_STAFF_QUERY", 5, true, Variant::Null()}));
    EXPECT_EQ(mixed[1].AsText(), "5True");
    EXPECT_TRUE(ui_->Messages().empty());
}

TEST_P(DispatcherTest, WordsMatchWholeAndExactlyOrDoNothing) {
    const char* misses[] = {" CHECK_STAFF_QUERY", "CHECK_STAFF_QUERY ", "CHECK_STAFF", "",
                            "CHECK_STAFF_QUERYX", "SENDSM_UNKNOWN"};
    for (const char* word : misses) {
        Variant output = Variant("stale");
        host_.Call(Words({word, "a"}), output);
        EXPECT_TRUE(output.IsEmpty()) << "'" << word << "'";
    }
    // A word whose letters carry a double-byte character is not upper-cased inside it.
    Variant output = host_.Call(Words({"check_staff_query" + "中"_host}));
    EXPECT_TRUE(output.IsEmpty());
    EXPECT_TRUE(host_.CallWords({"CHECK_DETAIL", "x"}).IsEmpty());
    EXPECT_TRUE(ui_->Messages().empty());
}

TEST_P(DispatcherTest, NumericCodesShowTheirBoxes) {
    EXPECT_TRUE(host_.CallWords({"1005", "提示文字"_host}).IsEmpty());
    EXPECT_TRUE(host_.CallWords({"1007", "错误文字"_host}).IsEmpty());
    EXPECT_TRUE(host_.CallWords({"1008", "nothing"}).IsEmpty());
    EXPECT_TRUE(host_.CallWords({"-1", "nothing"}).IsEmpty());
    ASSERT_EQ(ui_->Messages().size(), 2u);
    EXPECT_EQ(ui_->Messages()[0].source, "InfoDlg");
    EXPECT_EQ(ui_.MessageTextsUtf8()[0], "提示文字");
    EXPECT_EQ(ui_->Messages()[1].source, "ErrorDlg");
    EXPECT_EQ(ui_.MessageTextsUtf8()[1], "错误文字");
    EXPECT_EQ(ui_->Messages()[1].owner, host_.MainHandle());
}

TEST_P(DispatcherTest, QuestionCodeAnswersTrueOrFalse) {
    ui_->AnswerYes();
    ui_->AnswerNo();
    Variant yes = host_.CallWords({"1006", "继续吗？"_host});
    Variant no = host_.CallWords({"1006", "继续吗？"_host});
    ASSERT_TRUE(yes.IsArray());
    EXPECT_EQ(yes.HighBound(), 0);
    EXPECT_EQ(yes[0].AsText(), "True");
    EXPECT_EQ(no[0].AsText(), "False");
    ASSERT_EQ(ui_->Messages().size(), 2u);
    EXPECT_EQ(ui_->Messages()[0].source, "QuesDlg");
    EXPECT_EQ(ui_.MessageTextsUtf8()[0], "继续吗？");
}

TEST_P(DispatcherTest, MissingElementsReadAsEmptyText) {
    Variant output = host_.CallWords({"1005"});
    EXPECT_TRUE(output.IsEmpty());
    ASSERT_EQ(ui_->Messages().size(), 1u);
    EXPECT_EQ(ui_.MessageTextsUtf8()[0], "");
    EXPECT_EQ(host_.CallWords({"CHECK_STAFF_QUERY"})[1].AsText(), "");
}

TEST_P(DispatcherTest, InputOfTheWrongShapeRaisesToTheHost) {
    Variant output = Variant("stale");
    EXPECT_THROW(host_.Call(Variant("CHECK_STAFF_QUERY"), output), zeph::EVariantError);
    EXPECT_TRUE(output.IsEmpty()) << "Output is emptied before anything can fail";
    // A nested array as the word cannot be read as text.
    EXPECT_THROW(host_.Call(Words({Words({"x"})})), zeph::EVariantError);
    // An empty array has no word: the word reads as empty text and selects nothing.
    EXPECT_TRUE(host_.Call(Variant::Array(0, -1)).IsEmpty());
}

TEST_P(DispatcherTest, HugeTextsPassThrough) {
    std::string big(1 << 20, 'x');
    Variant output = host_.CallWords({"CHECK_STAFF_QUERY", big, big});
    EXPECT_EQ(output[1].AsText().size(), 2u << 20);
}

INSTANTIATE_TEST_SUITE_P(Editions, DispatcherTest, ::testing::Values(Edition::Full, Edition::Basic),
                         [](const auto& info) {
                             return info.param == Edition::Full ? "Full" : "Basic";
                         });

} // namespace
