// ADDAFFIX lets the agent pick attachment files, refusing (with a message) files over the size
// limit and files that are not there, and hands back their names and folders.
#include "support/ServicesFixture.h"

#include <zeph/platform/Paths.h>

#include <filesystem>

namespace services_test {
namespace {

using zeph::Variant;

constexpr std::int64_t kMB = 1024 * 1024;

class AddAffixWordTest : public ServicesFixture {
protected:
    std::string Sized(const std::string& name, std::int64_t size) {
        std::string path = WriteFile(name, "");
        std::error_code failed;
        std::filesystem::resize_file(zeph::testing::Utf8Path(zeph::platform::NativePath(path)),
                                     static_cast<std::uintmax_t>(size), failed);
        EXPECT_FALSE(failed) << failed.message();
        return path;
    }
};

TEST_F(AddAffixWordTest, PassesParameterOnAndListsNamesAndFolders) {
    services->sysParams["ZEPHSC/73"] = "pass-on value";
    services->sysParams["IWFLOW/20"] = "1";
    std::string a = Sized("a.doc", 10);
    std::string b = Sized("说明 文件.txt"_host, kMB); // exactly the limit is accepted
    backend->AnswerFiles({a, b});
    Variant output = Call({"ADDAFFIX", "全部|*.*"_host});
    ASSERT_TRUE(output.IsArray());
    EXPECT_EQ(output.HighBound(), 2);
    EXPECT_EQ(output[0], Variant("pass-on value"));
    EXPECT_EQ(output[1], Variant::ArrayOf({"a.doc", "说明 文件.txt"_host}));
    EXPECT_EQ(output[2], Variant::ArrayOf({dir + "/", dir + "/"}));
    EXPECT_TRUE(backend->Messages().empty());

    ASSERT_EQ(backend->FileDialogs().size(), 1u);
    EXPECT_TRUE(backend->FileDialogs()[0].multiSelect);
    EXPECT_EQ(backend->FileDialogs()[0].filter, "全部|*.*"_host);
    EXPECT_EQ(backend->FileDialogs()[0].owner, zeph::forms::Application()->Handle()); // no owner
    EXPECT_EQ(services->sysParamRequests, (std::vector<std::string>{"ZEPHSC/73", "IWFLOW/20"}));
}

TEST_F(AddAffixWordTest, FileOverTheLimitIsRefusedWithAMessage) {
    // Not set or not a number: 2 megabytes.
    for (const char* limit : {"", "abc", "2"}) {
        SCOPED_TRACE(limit);
        services->sysParams["IWFLOW/20"] = limit;
        NewBackend();
        std::string big = Sized("big.bin", 2 * kMB + 1);
        std::string small = Sized("small.bin", 2 * kMB);
        backend->AnswerFiles({big, small});
        Variant output = Call({"ADDAFFIX", ""});
        ASSERT_EQ(output[1].HighBound(), 1);
        EXPECT_TRUE(output[1][0].IsEmpty());
        EXPECT_TRUE(output[2][0].IsEmpty());
        EXPECT_EQ(output[1][1], Variant("small.bin"));
        EXPECT_EQ(output[2][1], Variant(dir + "/"));
        ASSERT_EQ(backend->Messages().size(), 1u);
        const auto& message = backend->Messages()[0];
        EXPECT_EQ(message.caption, "Zeph");
        EXPECT_EQ(message.buttons, zeph::forms::MessageButtons::Ok);
        EXPECT_EQ(message.source, "MessageBox");
        EXPECT_EQ(message.owner, zeph::forms::Form::FromHandle(handle)->Handle());
        EXPECT_EQ(message.text,
                  "文件"_host + big + "大小超过"_host + "2M," + "不能被添加为附件，请检查"_host);
    }
}

TEST_F(AddAffixWordTest, LargeLimitsDoNotOverflow) {
    services->sysParams["IWFLOW/20"] = "4096"; // 4 GiB: beyond 32 bits in bytes
    backend->AnswerFiles({Sized("c.bin", 3 * kMB)});
    Variant output = Call({"ADDAFFIX", ""});
    EXPECT_EQ(output[1], Variant::ArrayOf({"c.bin"}));
    EXPECT_TRUE(backend->Messages().empty());
}

TEST_F(AddAffixWordTest, MissingFileIsReportedAndNotCreated) {
    std::string missing = dir + "/gone.txt";
    std::string present = WriteFile("here.txt", "x");
    backend->AnswerFiles({missing, present, dir});
    Variant output = Call({"ADDAFFIX", ""});
    EXPECT_FALSE(Exists(missing));
    ASSERT_EQ(output[1].HighBound(), 2);
    EXPECT_TRUE(output[1][0].IsEmpty());
    EXPECT_EQ(output[1][1], Variant("here.txt"));
    EXPECT_TRUE(output[1][2].IsEmpty()); // a folder is no attachment
    ASSERT_EQ(backend->Messages().size(), 2u);
    EXPECT_EQ(backend->Messages()[0].text,
              "文件"_host + missing + "不存在或无法读取,不能被添加为附件，请检查"_host);
    EXPECT_EQ(backend->Messages()[1].text,
              "文件"_host + dir + "不存在或无法读取,不能被添加为附件，请检查"_host);
}

TEST_F(AddAffixWordTest, CancelLeavesNamesAndFoldersEmpty) {
    services->sysParams["ZEPHSC/73"] = "v";
    backend->CancelFileDialog();
    Variant output = Call({"ADDAFFIX", ""});
    EXPECT_EQ(output[0], Variant("v"));
    EXPECT_TRUE(output[1].IsEmpty());
    EXPECT_TRUE(output[2].IsEmpty());
}

} // namespace
} // namespace services_test
