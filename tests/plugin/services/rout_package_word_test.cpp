// GETROUTPACKAGE reads each field of the packed record at its offset, as text cut at the first
// zero byte, as one unchanged character, or as an unsigned little-endian integer.
#include "services/RoutPackage.h"
#include "support/ServicesFixture.h"

#include <cstring>

namespace services_test {
namespace {

using zeph::Variant;

// A record whose every byte is set: text fields hold their full width of letters.
zeph::TRoutPackage FilledPackage() {
    zeph::TRoutPackage package{};
    for (std::size_t i = 0; i < zeph::kRoutPackageSize; ++i) {
        package.bytes[i] = static_cast<unsigned char>('A' + i % 26);
    }
    return package;
}

void Put(zeph::TRoutPackage& package, std::size_t offset, std::string_view bytes) {
    std::memcpy(package.bytes + offset, bytes.data(), bytes.size());
}

class RoutPackageWordTest : public ServicesFixture {
protected:
    Variant Field(const std::string& name) {
        Variant output = Call({"GETROUTPACKAGE", name});
        EXPECT_TRUE(output.IsArray());
        EXPECT_EQ(output.LowBound(), 0);
        EXPECT_EQ(output.HighBound(), 1);
        EXPECT_TRUE(output[1].IsEmpty());
        return output[0];
    }
};

struct FieldCase {
    const char* name;
    std::size_t offset;
    std::size_t size;
};

// Offsets and sizes as the record lays them out; a full-width text field gives all its bytes.
constexpr FieldCase kTextFields[] = {
    {"CITYCODE", 1, 5},           {"USERCLASS", 6, 3},        {"TRANSFERFLAG", 9, 10},
    {"CALLERNO", 20, 20},         {"CALLEENO", 40, 20},       {"SERVICENO", 60, 20},
    {"CHECKPSWIVR", 81, 20},      {"DIGITCODE", 101, 20},     {"KEYTRACE", 121, 100},
    {"BRANCHTRACE", 221, 196},    {"ENTERDATETIME", 417, 16}, {"CONFIRMDATETIME", 433, 16},
    {"SERVICELOCALDSN", 453, 20}, {"LOGLOCALDSN", 473, 20},   {"SERIALID", 494, 20},
    {"PATHHEAD", 514, 20},        {"EXT1", 534, 196},         {"EXT2", 730, 196},
};
constexpr FieldCase kCharFields[] = {
    {"BIGZONE", 0, 1}, {"CHARLANGUAGE", 19, 1}, {"CHECKFLAG", 451, 1}, {"LOGFLAG", 452, 1}};

TEST_F(RoutPackageWordTest, EveryTextFieldAtItsOffsetAndWidth) {
    services->routPackage = FilledPackage();
    const auto& package = *services->routPackage;
    for (const FieldCase& c : kTextFields) {
        SCOPED_TRACE(c.name);
        Variant value = Field(c.name);
        ASSERT_EQ(value.GetKind(), Variant::Kind::Text);
        EXPECT_EQ(value.AsText(),
                  std::string(reinterpret_cast<const char*>(package.bytes + c.offset), c.size));
    }
}

TEST_F(RoutPackageWordTest, TextFieldsEndAtTheFirstZeroByte) {
    services->routPackage = FilledPackage();
    Put(*services->routPackage, 1, std::string("0571\0", 5));
    Put(*services->routPackage, 20,
        std::string("13800138000\0"
                    "99",
                    14));
    Put(*services->routPackage, 730, std::string(1, '\0'));
    EXPECT_EQ(Field("CITYCODE").AsText(), "0571");
    EXPECT_EQ(Field("CALLERNO").AsText(), "13800138000");
    EXPECT_EQ(Field("EXT2").AsText(), "");
    // Five characters and no zero byte: all five, nothing of the next field.
    Put(*services->routPackage, 1, "05710");
    EXPECT_EQ(Field("CITYCODE").AsText(), "05710");
}

TEST_F(RoutPackageWordTest, OneCharacterFieldsAreTakenUnchangedEvenWhenZero) {
    services->routPackage = FilledPackage();
    for (const FieldCase& c : kCharFields) {
        SCOPED_TRACE(c.name);
        services->routPackage->bytes[c.offset] = 0;
        EXPECT_EQ(Field(c.name), Variant(std::string(1, '\0')));
        services->routPackage->bytes[c.offset] = 0xB0;
        EXPECT_EQ(Field(c.name), Variant(std::string(1, '\xB0')));
    }
}

TEST_F(RoutPackageWordTest, NumbersAreUnsignedIntegersLittleEndian) {
    services->routPackage = FilledPackage();
    auto& bytes = services->routPackage->bytes;
    bytes[80] = 0xFF;
    bytes[493] = 7;
    bytes[449] = 0x34;
    bytes[450] = 0xF2;
    EXPECT_EQ(Field("USERTYPE"), Variant(255));
    EXPECT_EQ(Field("ROUTFAILCOUNTER"), Variant(7));
    Variant delay = Field("DELAYTIME");
    EXPECT_EQ(delay.GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(delay.AsInteger(), 0xF234);
}

TEST_F(RoutPackageWordTest, NamesCompareWithoutLetterCaseAndWhole) {
    services->routPackage = FilledPackage();
    Put(*services->routPackage, 20, std::string("95105\0", 6));
    EXPECT_EQ(Field("callerno").AsText(), "95105");
    EXPECT_EQ(Call({"getroutpackage", "CallerNo"})[0].AsText(), "95105");
    const std::string wrong = "参数错误"_host;
    for (const std::string& name :
         {std::string("CALLERNO "), std::string(" CALLERNO"), std::string("CALLER NO"),
          std::string("CALLER"), std::string(""), "主叫号码"_host, "CALLERNO"_host + "号"_host,
          std::string("CALLERNO\0", 9)}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Field(name).AsText(), wrong);
    }
    // Only the word: the field name is empty text.
    EXPECT_EQ(Call({"GETROUTPACKAGE"})[0].AsText(), wrong);
}

TEST_F(RoutPackageWordTest, NoCurrentCallLeavesAKnownFieldEmpty) {
    services->routPackage.reset();
    EXPECT_TRUE(Field("CALLERNO").IsEmpty());
    EXPECT_TRUE(Field("DELAYTIME").IsEmpty());
    // A name that is not a field is still reported as such.
    EXPECT_EQ(Field("NOSUCHFIELD").AsText(), "参数错误"_host);
}

TEST(RoutPackageTable, FieldsTileTheRecordInOrder) {
    std::size_t next = 0;
    for (const zeph::RoutField& field : zeph::RoutPackageFields()) {
        EXPECT_EQ(field.offset, next) << field.name;
        next += field.size;
        EXPECT_EQ(zeph::FindRoutField(field.name), &field);
    }
    EXPECT_EQ(next, zeph::kRoutPackageSize);
    EXPECT_EQ(zeph::RoutPackageFields().size(), 25u);
}

} // namespace
} // namespace services_test
