// CHECK_RESULT: the detail report, byte for byte, for three serials; its messages and the
// catch-all text.
#include "QcTestSupport.h"
#include "qcreport/QcConversions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace qctest;
using morvane::qcreport::ConvertCheckResult;

// The 32 fields of the input records, in the order the host sends them, from tests/data: only
// the input is built here, the report's layout is not restated (the expected report comes from
// tests/data too).
std::vector<std::string> ReadInputFields() {
    std::ifstream in(std::string(ZEPH_SOURCE_DIR) +
                     "/tests/data/qcreport/check_result_input_fields.txt");
    std::vector<std::string> fields;
    for (std::string line; std::getline(in, line);) {
        fields.push_back(line);
    }
    EXPECT_EQ(fields.size(), 32u) << "the input field list is missing or cut short";
    return fields;
}
const std::vector<std::string>& InputFields() {
    static const std::vector<std::string> fields = ReadInputFields();
    return fields;
}

// Value of column c in input row r: distinct per row so that the first record shows.
std::string Cell(std::size_t c, int r, const std::string& serial) {
    if (c == 0) {
        return serial;
    }
    if (InputFields()[c] == "CommentInfo" && r == 0) {
        return "好\"<&评价";
    }
    return InputFields()[c] + std::to_string(r);
}

struct InputRow {
    std::string serial, itemName, itemScore;
};

std::string InputPacket(const std::vector<InputRow>& rows, bool lowerCaseNames = false) {
    std::vector<std::string> fields;
    for (const std::string& field : InputFields()) {
        std::string name = field;
        if (lowerCaseNames) {
            name = zeph::text::LowerCase(name);
        }
        fields.push_back(name);
    }
    fields.push_back(lowerCaseNames ? "itemname" : "ItemName");
    fields.push_back("ItemScore");
    std::vector<std::vector<std::string>> values;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<std::string> v;
        for (std::size_t c = 0; c < InputFields().size(); ++c) {
            v.push_back(Cell(c, static_cast<int>(r), rows[r].serial));
        }
        v.push_back(rows[r].itemName);
        v.push_back(rows[r].itemScore);
        values.push_back(v);
    }
    return BuildPacket(fields, values);
}

const std::vector<InputRow> kThreeSerials = {
    {"S1", "服务态度", "10"}, {"S1", "业务熟练", "20"}, {"S2", "业务熟练", "30"},
    {"s1", "服务态度", "99"}, {"S3", "其他", "5"},      {"S2", "业务熟练", "31"},
};

// The report of kThreeSerials as a person reads it off the layout: tests/data holds it in
// UTF-8, one line a line; the report has host text and ends each line with one CR.
std::string Expected() {
    std::ifstream in(std::string(ZEPH_SOURCE_DIR) +
                     "/tests/data/qcreport/check_result_three_serials.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines.size(), 155u) << "the expected report is missing or cut short";
    return Lines(lines);
}

class CheckResultTest : public ::testing::Test {
protected:
    CheckResultTest() {
        server->itemPacket =
            BuildPacket({"Name", "ItemID"}, {{"服务态度", "1"}, {"业务熟练", "2"}});
    }
    ServicesScope server;
    zeph::TZephClient client{nullptr};
};

TEST_F(CheckResultTest, ThreeSerialsByteForByte) {
    auto result = ConvertCheckResult(client, InputPacket(kThreeSerials), "O1", "C1", "K9");
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.count, 3);
    EXPECT_EQ(result.packet, Expected());
    EXPECT_EQ(result.packet.find('\n'), std::string::npos);

    ASSERT_EQ(server->calls.size(), 2u);
    EXPECT_EQ(server->calls[0].operation, "StoreProcedure");
    EXPECT_EQ(server->calls[0].first, "ZEPHSC_P_QC_GETITEM");
    EXPECT_EQ(server->calls[0].second, "O1~C1~K9");
    EXPECT_EQ(server->calls[1].first, "ZEPHSC_SELFSQL");
    EXPECT_EQ(server->calls[1].second, server->itemSql);
    EXPECT_EQ(server->calls[1].third, "");
    EXPECT_EQ(server->calls[1].a, 1);
    EXPECT_EQ(server->calls[1].b, -1);
}

TEST_F(CheckResultTest, FieldNamesAreFoundWhateverTheirCase) {
    auto result = ConvertCheckResult(client, InputPacket(kThreeSerials, true), "O1", "C1", "");
    EXPECT_EQ(result.packet, Expected());
}

TEST_F(CheckResultTest, MessagesInTheirOrder) {
    std::string good = InputPacket(kThreeSerials);
    EXPECT_EQ(ConvertCheckResult(client, "<DATAPACKET", "O1", "C1", "").error,
              G("传入的考评记录不是合法的XML格式"));
    EXPECT_EQ(ConvertCheckResult(client, InputPacket({}), "O1", "C1", "").error,
              G("传入的考评记录不可用或记录数为0"));
    server->storeProcedureResult = false;
    EXPECT_EQ(ConvertCheckResult(client, good, "O1", "C1", "").error,
              G("获取查询考评项的SQL语句失败"));
    server->storeProcedureResult = true;
    server->itemQueryResult = false;
    EXPECT_EQ(ConvertCheckResult(client, good, "O1", "C1", "").error, G("查询考评项列表失败"));
    server->itemQueryResult = true;
    server->itemPacket = BuildPacket({"Name", "ItemID"}, {});
    EXPECT_EQ(ConvertCheckResult(client, good, "O1", "C1", "").error,
              G("查询考评项列表失败或记录数为0"));
    server->itemPacket.clear(); // an answer without data: the list is not active
    EXPECT_EQ(ConvertCheckResult(client, good, "O1", "C1", "").error,
              G("查询考评项列表失败或记录数为0"));
}

TEST_F(CheckResultTest, OtherErrorsBecomeTheCatchAllText) {
    std::string noRecorder =
        BuildPacket({"SerialNum", "ItemName", "ItemScore"}, {{"S1", "服务态度", "1"}});
    auto result = ConvertCheckResult(client, noRecorder, "O1", "C1", "");
    EXPECT_EQ(result.packet, "");
    EXPECT_EQ(result.error, G("转换中发生错误：") + "Field 'RecorderNum' not found");

    server->itemPacket = "<DATAPACKET>broken"; // a server answer that is no packet
    result = ConvertCheckResult(client, InputPacket(kThreeSerials), "O1", "C1", "");
    EXPECT_EQ(result.error.rfind(G("转换中发生错误：") + "Invalid data packet", 0), 0u)
        << result.error;
}

} // namespace
