// The XLS and text writers against bytes worked out by hand from the record layout, against
// xlrd reading the same file, and at the edges of what the XLS format's 16-bit fields carry.
#include "ExportTestKit.h"
#include "export/FileWriters.h"

#include <zeph/dataset/DataPacket.h>

namespace export_test {
namespace {

using morvane::exporting::kXlsMaxRecords;
using morvane::exporting::kXlsMaxTextBytes;
using morvane::exporting::TFileColumns;
using morvane::exporting::WriteTextFile;
using morvane::exporting::WriteXlsFile;
using zeph::dataset::TRecordTable;

TRecordTable Table(std::size_t fields, const std::vector<std::vector<std::string>>& rows) {
    TRecordTable table;
    for (std::size_t i = 0; i < fields; ++i) {
        table.AddField({"F" + std::to_string(i), "string", 0, {}});
    }
    for (const auto& row : rows) {
        std::vector<std::string_view> values(row.begin(), row.end());
        table.AppendRow(values);
    }
    return table;
}

std::string Bytes(std::initializer_list<int> bytes) {
    std::string out;
    for (int b : bytes) {
        out += static_cast<char>(b);
    }
    return out;
}

const std::string kBof =
    Bytes({0x09, 0x08, 0x08, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00});
const std::string kEof = Bytes({0x0A, 0x00, 0x00, 0x00});

TEST(FileWritersTest, XlsFileIsBofOneLabelPerCellAndEof) {
    zeph::testing::TempDir temp;
    const std::string path = temp.File("a.xls");
    // Columns F1 then F0: the order of the columns, not of the fields.
    TRecordTable table = Table(2, {{"x,y", "中"_host}, {"", "7"}});
    TFileColumns columns{{1, 0}, {"名"_host, "b"}};
    ASSERT_TRUE(WriteXlsFile(path, table, columns));
    const std::string expected =
        kBof +
        // row 0: 名 (D3 FB) at column 0, b at column 1
        Bytes(
            {0x04, 0x02, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0xC3, 0xFB}) +
        Bytes({0x04, 0x02, 0x09, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 'b'}) +
        // row 1: 中 (D6 D0), x,y
        Bytes(
            {0x04, 0x02, 0x0A, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0xD6, 0xD0}) +
        Bytes({0x04, 0x02, 0x0B, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 'x', ',',
               'y'}) +
        // row 2: 7, and an empty label
        Bytes({0x04, 0x02, 0x09, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, '7'}) +
        Bytes({0x04, 0x02, 0x08, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}) + kEof;
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(ReadWithPython("xls", path),
              R"({"rows": [["名", "b"], ["中", "x,y"], ["7", ""]], )"
              R"("types": [["text", "text"], ["text", "text"], ["text", "text"]]})");
}

TEST(FileWritersTest, TextFileIsCommaJoinedLinesEndedByCrLfWithoutQuoting) {
    zeph::testing::TempDir temp;
    const std::string path = temp.File("a.txt");
    TRecordTable table = Table(2, {{"x,y", "\"q\""}, {"", "中"_host}});
    ASSERT_TRUE(WriteTextFile(path, table, {{0, 1}, {"t1", "标题"_host}}));
    EXPECT_EQ(ReadBytes(path),
              "t1,"_host + "标题"_host + "\r\nx,y,\"q\"\r\n," + "中"_host + "\r\n");
}

TEST(FileWritersTest, NoRecordsGivesTheTitlesOnly) {
    zeph::testing::TempDir temp;
    TRecordTable table = Table(1, {});
    ASSERT_TRUE(WriteXlsFile(temp.File("a.xls"), table, {{0}, {"t"}}));
    EXPECT_EQ(ReadBytes(temp.File("a.xls")),
              kBof + Bytes({0x04, 0x02, 0x09, 0x00, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 't'}) + kEof);
    ASSERT_TRUE(WriteTextFile(temp.File("a.txt"), table, {{0}, {"t"}}));
    EXPECT_EQ(ReadBytes(temp.File("a.txt")), "t\r\n");
}

TEST(FileWritersTest, XlsRefusesWhatItsSixteenBitFieldsCannotCarryAndWritesNothing) {
    zeph::testing::TempDir temp;
    struct Case {
        const char* what;
        std::size_t records;
        std::size_t valueBytes;
        std::size_t titleBytes;
        bool fits;
    } cases[] = {
        {"most records", kXlsMaxRecords, 1, 1, true},
        {"one record too many", kXlsMaxRecords + 1, 1, 1, false},
        {"longest value", 1, kXlsMaxTextBytes, 1, true},
        {"value one byte too long", 1, kXlsMaxTextBytes + 1, 1, false},
        {"title one byte too long", 1, 1, kXlsMaxTextBytes + 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordTable table = Table(1, {});
        const std::string value(c.valueBytes, 'v');
        for (std::size_t i = 0; i < c.records; ++i) {
            table.AppendRow({value});
        }
        const std::string path = temp.File("limit.xls");
        std::remove(path.c_str());
        EXPECT_EQ(WriteXlsFile(path, table, {{0}, {std::string(c.titleBytes, 't')}}), c.fits);
        EXPECT_EQ(Exists(path), c.fits);
        if (c.fits) {
            // The last label: its row and length are what was asked, not wrapped.
            const std::string bytes = ReadBytes(path);
            const std::size_t last = bytes.size() - 4 - 12 - c.valueBytes;
            auto word = [&bytes](std::size_t at) {
                return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
                       static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
            };
            EXPECT_EQ(word(last + 2), c.valueBytes + 8);
            EXPECT_EQ(word(last + 4), c.records);
            EXPECT_EQ(word(last + 10), c.valueBytes);
        }
    }
}

TEST(FileWritersTest, FileThatCannotBeCreatedFails) {
    zeph::testing::TempDir temp;
    TRecordTable table = Table(1, {{"a"}});
    EXPECT_FALSE(WriteXlsFile(temp.File("no/such/dir.xls"), table, {{0}, {"t"}}));
    EXPECT_FALSE(WriteTextFile(temp.File("no/such/dir.txt"), table, {{0}, {"t"}}));
}

} // namespace
} // namespace export_test
