// Packets from outside: malformed text, entity tricks, invalid GBK, missing rows or attributes,
// odd numbers. Every conversion answers with its message or copes; none crashes.
#include "QcTestSupport.h"
#include "qcreport/QcConversions.h"

#include <zeph/dataset/DataPacket.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using namespace qctest;
using namespace morvane::qcreport;

const std::filesystem::path kData = std::filesystem::path(ZEPH_SOURCE_DIR) / "tests/data/qcreport";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class BadInputTest : public ::testing::Test {
protected:
    BadInputTest() {
        server->itemPacket = BuildPacket({"Name", "ItemID"}, {{"a", "1"}});
        server->contentPacket = BuildPacket({"ContentID", "ContentName", "SourceID", "Weight"},
                                            {{"C2", "n2", "2", "1"}, {"C1", "n1", "0", "1"}});
    }
    ServicesScope server;
    zeph::TZephClient client{nullptr};
};

TEST_F(BadInputTest, UnreadablePacketsGiveTheLoadMessageOfEveryConversion) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kData / "bad")) {
        std::string packet = ReadFile(entry.path());
        std::string name = entry.path().filename().string();
        const std::string records = G("传入的考评记录不是合法的XML格式");
        EXPECT_EQ(ConvertCheckResult(client, packet, "O", "C", "").error, records) << name;
        EXPECT_EQ(ConvertSkillReport(client, packet, "O", "C", "").error, records) << name;
        EXPECT_EQ(ConvertCheckReport(client, packet, "O", 1, 10).error, records) << name;
        EXPECT_EQ(ConvertCheckPerson(client, packet, "O", "1").error, records) << name;
        EXPECT_EQ(ConvertIpTable(packet, 3).error, G("传入的IP记录不是合法的XML格式")) << name;
        ++files;
    }
    EXPECT_GE(files, 7);
}

TEST_F(BadInputTest, PacketWithoutRowDataHasNoRecords) {
    std::string packet = ReadFile(kData / "no-rowdata.xml");
    const std::string none = G("传入的考评记录不可用或记录数为0");
    EXPECT_EQ(ConvertCheckResult(client, packet, "O", "C", "").error, none);
    EXPECT_EQ(ConvertSkillReport(client, packet, "O", "C", "").error, none);
    EXPECT_EQ(ConvertCheckReport(client, packet, "O", 1, 10).error, none);
    EXPECT_EQ(ConvertIpTable(packet, 3).error, G("传入的IP记录不可用或记录数为0"));
    // The person report does not ask for records; reading the weight of a content, it finds this
    // packet has none and leaves that error to the host.
    EXPECT_THROW(ConvertCheckPerson(client, packet, "O", "1"), zeph::dataset::EDataSetError);
}

TEST_F(BadInputTest, MissingAttributesAndOddNumbers) {
    // Totals: 90 + missing; 1e999; " 12" + "12,5"; "nan".
    std::string packet = ReadFile(kData / "mixed-records.xml");
    auto report = ConvertCheckReport(client, packet, "O", 1, 10);
    EXPECT_EQ(report.error, "");
    EXPECT_EQ(report.count, 4);
    for (const char* total : {"<TOTLE TOTLESCORE=\"90\"/>", "<TOTLE TOTLESCORE=\"1E999\"/>",
                              "<TOTLE TOTLESCORE=\"12\"/>", "<TOTLE TOTLESCORE=\"0\"/>"}) {
        EXPECT_NE(report.packet.find(total), std::string::npos) << total;
    }
    EXPECT_NE(report.packet.find(G("<STAFF STAFFNO=\"张三\"/>")), std::string::npos);

    auto ips = ConvertIpTable(packet, 4);
    EXPECT_NE(ips.packet.find(" IP2 =\"\"\r IP3 =\"10.0.0.3\"\r/>\r<ROW\r IP0 =\"\"\r"
                              " IP1 =\"\"<&\"\r IP2=\"\"\r IP3=\"\"\r/>\r"),
              std::string::npos)
        << ips.packet;
}

TEST_F(BadInputTest, HugeAttributeValueGivesTheLoadMessage) {
    std::string packet =
        BuildPacket({"StaffNo", "IP"}, {{std::string(12 * 1024 * 1024, '9'), "1"}});
    EXPECT_EQ(ConvertCheckReport(client, packet, "O", 1, 10).error,
              G("传入的考评记录不是合法的XML格式"));
    EXPECT_EQ(ConvertIpTable(packet, 1).error, G("传入的IP记录不是合法的XML格式"));
}

TEST_F(BadInputTest, ArbitraryBytesNeverCrash) {
    std::string base = ReadFile(kData / "mixed-records.xml");
    for (std::size_t cut = 0; cut < base.size(); cut += 37) {
        std::string packet =
            base.substr(0, cut) + std::string(1, static_cast<char>(cut * 7)) + base.substr(cut + 1);
        ConvertCheckResult(client, packet, "O", "C", "");
        ConvertSkillReport(client, packet, "O", "C", "");
        ConvertCheckReport(client, packet, "O", 1, 3);
        try {
            ConvertCheckPerson(client, packet, "O", "1");
            ConvertIpTable(packet, 2);
        } catch (const std::exception&) {
            // The two conversions that leave other errors to the host.
        }
    }
}

} // namespace
