// BASE64ENCODE / BASE64DECODE hand text and bytes through unchanged; GETMONITOR finds the
// monitor of a staff member's work group in the host's public datasets.
#include "support/ServicesFixture.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/dataset/DataPacket.h>

namespace services_test {
namespace {

using zeph::Variant;

class Base64WordTest : public ServicesFixture {
protected:
    std::string One(const std::string& word, const std::string& text) {
        Variant output = Call({word, text});
        EXPECT_TRUE(output.IsArray());
        EXPECT_EQ(output.HighBound(), 0);
        return output[0].AsText();
    }
};

TEST_F(Base64WordTest, EncodesAndDecodesHostText) {
    struct Case {
        std::string plain, encoded;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"\xC4\xE3\xBA\xC3", "xOO6ww=="}, // "你好" in GBK
    };
    for (const Case& c : cases) {
        EXPECT_EQ(One("BASE64ENCODE", c.plain), c.encoded);
        EXPECT_EQ(One("base64decode", c.encoded), c.plain);
    }
}

TEST_F(Base64WordTest, BinaryBytesComeBackByteForByte) {
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all.push_back(static_cast<char>(i));
    }
    std::string encoded = One("BASE64ENCODE", all);
    std::string decoded = One("BASE64DECODE", encoded);
    ASSERT_EQ(decoded.size(), 256u);
    EXPECT_EQ(decoded, all);
}

TEST_F(Base64WordTest, InvalidInputGivesWhatTheHostRoutineGives) {
    // Characters outside the alphabet are skipped and padding ends the text, never an error.
    for (const std::string& bad :
         {std::string("!!!!"), std::string("Zm9v\r\nYmFy"), std::string("Zg=trailing"),
          std::string("Z"), "中文"_host, std::string("\0\0\0", 3)}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(One("BASE64DECODE", bad), zeph::Base64Decode(bad));
    }
    EXPECT_EQ(One("BASE64DECODE", "Zm9v\r\nYmFy"), "foobar");
    EXPECT_EQ(One("BASE64DECODE", "!!!!"), "");
    // Only the word: element 1 reads as empty text.
    EXPECT_EQ(Call({"BASE64ENCODE"})[0].AsText(), "");
}

class MonitorWordTest : public ServicesFixture {
protected:
    void SetUp() override {
        ServicesFixture::SetUp();
        services->publicData["StaffState"] = ReadFile(DataFile("StaffState.xml"));
        services->publicData["WorkGroup"] = ReadFile(DataFile("WorkGroup.xml"));
    }
    static std::string DataFile(const char* name) {
        return std::string(ZEPH_SOURCE_DIR) + "/tests/data/services/" + name;
    }
    Variant Monitor(const std::string& staffNo) {
        Variant output = Call({"GETMONITOR", staffNo});
        EXPECT_TRUE(output.IsArray());
        EXPECT_EQ(output.HighBound(), 0);
        return output[0];
    }
};

TEST_F(MonitorWordTest, FindsTheMonitorOfTheFirstMatchingStaffRow) {
    EXPECT_EQ(Monitor("1001"), Variant("9001")); // the first of two rows for 1001
    EXPECT_EQ(Monitor("AB12"), Variant("9003")); // staff number and group name ignore case
    EXPECT_EQ(Monitor("3003"), Variant("9000")); // an empty group name matches an empty Name
}

TEST_F(MonitorWordTest, NoMatchGivesEmptyText) {
    for (const std::string& staffNo :
         {std::string("9999"), std::string("100"), std::string("1001 "), std::string(""),
          "张三"_host, std::string("2002")}) {
        SCOPED_TRACE(staffNo);
        Variant monitor = Monitor(staffNo);
        EXPECT_EQ(monitor.GetKind(), Variant::Kind::Text);
        EXPECT_EQ(monitor.AsText(), "");
    }
    // Only the word: the empty staff number matches no row here.
    EXPECT_EQ(Call({"GETMONITOR"})[0], Variant(""));
}

TEST_F(MonitorWordTest, AnUnreadableDatasetEndsTheCallWithTheArrayCreated) {
    services->publicData["StaffState"] = "not a packet";
    Variant output;
    EXPECT_THROW(zeph::DeliverRequest(handle, Variant::ArrayOf({"GETMONITOR", "1001"}), output),
                 zeph::dataset::EDataSetError);
    ASSERT_TRUE(output.IsArray());
    EXPECT_TRUE(output[0].IsEmpty());
}

} // namespace
} // namespace services_test
