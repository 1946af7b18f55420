// The routing package of the current call, packed from field name/value rows into the 926-byte
// layout.
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/emulator/DemoDatabase.h>
#include <zeph/emulator/RoutPackage.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <cstring>

namespace zeph::emulator {
namespace {

Cell TextCell(const std::string& utf8) {
    Cell c;
    c.type = Cell::Type::Text;
    c.text = utf8;
    return c;
}

Cell IntCell(std::int64_t v) {
    Cell c;
    c.type = Cell::Type::Integer;
    c.integer = v;
    return c;
}

std::string Field(const TRoutPackage& p, std::size_t offset, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(p.bytes + offset), size);
}

TEST(RoutPackageTest, LayoutCoversTheRecordWithoutGaps) {
    std::size_t next = 0;
    for (const RoutField& f : zeph::RoutPackageFields()) {
        EXPECT_EQ(f.offset, next) << f.name;
        next = f.offset + f.size;
    }
    EXPECT_EQ(next, kRoutPackageSize);
    EXPECT_EQ(zeph::RoutPackageFields().size(), 25u);
}

TEST(RoutPackageTest, FieldsArePackedCutAndZeroFilled) {
    TRoutPackage p = PackRoutPackage({
        {"citycode", TextCell("0571")},
        {"USERCLASS", TextCell("ABCDEF")},
        {"DELAYTIME", IntCell(0x1234)},
        {"USERTYPE", TextCell("7")},
        {"EXT1", TextCell("客户")},
    });
    EXPECT_EQ(Field(p, 1, 5), std::string("0571\0", 5));
    EXPECT_EQ(Field(p, 6, 3), "ABC");
    EXPECT_EQ(p.bytes[449], 0x34);
    EXPECT_EQ(p.bytes[450], 0x12);
    EXPECT_EQ(p.bytes[80], 7);
    EXPECT_EQ(Field(p, 534, 4), text::Utf8ToGbk("客户"));
    EXPECT_EQ(p.bytes[538], 0);
    EXPECT_EQ(p.bytes[0], 0);
}

TEST(RoutPackageTest, BadRowsAreNamedErrors) {
    EXPECT_THROW(PackRoutPackage({{"NOSUCHFIELD", TextCell("1")}}), EDatabaseError);
    EXPECT_THROW(PackRoutPackage({{"USERTYPE", IntCell(256)}}), EDatabaseError);
    EXPECT_THROW(PackRoutPackage({{"DELAYTIME", TextCell("soon")}}), EDatabaseError);
    EXPECT_THROW(PackRoutPackage({{"DELAYTIME", IntCell(-1)}}), EDatabaseError);
}

TEST(RoutPackageTest, DemoDeskHasACallAndAnEmptyTableHasNone) {
    testing::TempDir dir;
    Database db = Database::Open(dir.File("r.db"), true);
    BuildDemoDatabase(db);
    auto package = LoadRoutPackage(db);
    ASSERT_TRUE(package.has_value());
    EXPECT_EQ(Field(*package, 20, 11), "13905710001");
    EXPECT_EQ(package->bytes[449], 33);
    db.Exec("DELETE FROM rout_field");
    EXPECT_FALSE(LoadRoutPackage(db).has_value());
    db.Exec("INSERT INTO rout_field VALUES ('CALLERNO', x'31003233')");
    auto raw = LoadRoutPackage(db);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(Field(*raw, 20, 5), std::string("1\0"
                                              "23\0",
                                              5));
}

} // namespace
} // namespace zeph::emulator
