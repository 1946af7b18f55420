// Server answers read back with the dataset library's reader: field types, host text, empty
// values, characters XML must escape, duplicate and odd column names.
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/emulator/PacketWriter.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

namespace zeph::emulator {
namespace {

class PacketWriterTest : public ::testing::Test {
protected:
    PacketWriterTest() : db(Database::Open(dir.File("p.db"), true)) {}

    dataset::TRecordTable Answer(const std::string& sql) {
        auto run = db.Run(sql, {});
        EXPECT_TRUE(run.answer.has_value());
        return dataset::ReadDataPacket(WriteDatasetPacket(*run.answer));
    }

    testing::TempDir dir;
    Database db;
};

TEST_F(PacketWriterTest, FieldTypesFollowTheValues) {
    auto t = Answer("SELECT 1 AS a, 3000000000 AS b, 1.5 AS c, 'x' AS d, NULL AS e, 2 AS f "
                    "UNION ALL SELECT 2, 1, 2, 'longer', NULL, 'text'");
    ASSERT_EQ(t.FieldCount(), 6u);
    EXPECT_EQ(t.Fields()[0].fieldType, "i4");
    EXPECT_EQ(t.Fields()[1].fieldType, "i8");
    EXPECT_EQ(t.Fields()[2].fieldType, "r8");
    EXPECT_EQ(t.Fields()[3].fieldType, "string");
    EXPECT_EQ(t.Fields()[3].width, 6);
    EXPECT_EQ(t.Fields()[4].fieldType, "string");
    EXPECT_EQ(t.Fields()[5].fieldType, "string");
    EXPECT_EQ(t.Value(0, 2), "1.5");
    EXPECT_EQ(t.Value(1, 2), "2");
    EXPECT_EQ(t.Value(0, 4), "");
}

TEST_F(PacketWriterTest, TextBecomesHostTextAndSurvivesEscaping) {
    auto t = Answer("SELECT '热线 & <服务> \"质检\"' AS v, 'a' || char(9) || 'b' || char(1) AS w");
    EXPECT_EQ(t.Value(0, 0), text::Utf8ToGbk("热线 & <服务> \"质检\""));
    EXPECT_EQ(t.Value(0, 1), "a\tb?");
    // Widths count host-text bytes.
    EXPECT_EQ(t.Fields()[0].width,
              static_cast<int>(text::Utf8ToGbk("热线 & <服务> \"质检\"").size()));
}

TEST_F(PacketWriterTest, ColumnNamesBecomeUniqueAttributeNames) {
    auto t = Answer("SELECT 1 AS id, 2 AS ID, 3 AS \"two words\", 4 AS \"9lives\", 5 AS xmlns");
    ASSERT_EQ(t.FieldCount(), 5u);
    EXPECT_EQ(t.Fields()[0].name, "id");
    EXPECT_EQ(t.Fields()[1].name, "ID_2");
    EXPECT_EQ(t.Fields()[2].name, "two_words");
    EXPECT_EQ(t.Fields()[3].name, "F49lives");
    EXPECT_EQ(t.Fields()[4].name, "F5xmlns") << "not a namespace declaration on every row";
    EXPECT_EQ(t.Value(0, 4), "5");
}

TEST_F(PacketWriterTest, BlobsAreHostTextUnchanged) {
    auto t = Answer("SELECT x'C8C8CFDF' AS v");
    EXPECT_EQ(t.Value(0, 0), "\xC8\xC8\xCF\xDF");
}

} // namespace
} // namespace zeph::emulator
