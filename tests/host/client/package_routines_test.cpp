// The host package's routines: Base64, number test, list splitting, local address.
#include <zeph/client/PackageRoutines.h>

#include <gtest/gtest.h>

namespace {

TEST(PackageRoutinesTest, Base64MatchesRfc4648Vectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(zeph::Base64Encode(plain), encoded);
        EXPECT_EQ(zeph::Base64Decode(encoded), plain);
    }
}

TEST(PackageRoutinesTest, Base64CarriesBinaryBytesAndSkipsNoise) {
    std::string binary;
    for (int i = 0; i < 256; ++i) {
        binary.push_back(static_cast<char>(i));
    }
    EXPECT_EQ(zeph::Base64Decode(zeph::Base64Encode(binary)), binary);
    EXPECT_EQ(zeph::Base64Decode("Zm9v\r\nYmFy"), "foobar");
    EXPECT_EQ(zeph::Base64Decode("Zm9v*YmFy"), "foobar");
    EXPECT_EQ(zeph::Base64Decode("Zg==garbage"), "f");
}

TEST(PackageRoutinesTest, IfNumberAcceptsThirtyTwoBitIntegersOnly) {
    for (const char* yes : {"0", "1005", "-1", "+7", "2147483647", "-2147483648"}) {
        EXPECT_TRUE(zeph::IfNumber(yes)) << yes;
    }
    for (const char* no : {"", " 1", "1 ", "1.0", "abc", "2147483648", "+", "-", "+-1", "1e3"}) {
        EXPECT_FALSE(zeph::IfNumber(no)) << no;
    }
}

TEST(PackageRoutinesTest, DecodeToListReplacesTheList) {
    std::vector<std::string> list{"old"};
    zeph::DecodeToList("a~b~~c", "~", list);
    EXPECT_EQ(list, (std::vector<std::string>{"a", "b", "", "c"}));
    zeph::DecodeToList("", "~", list);
    EXPECT_TRUE(list.empty());
}

TEST(PackageRoutinesTest, LocalAddressIsDottedQuad) {
    std::string ip = zeph::LocalComputerIPString();
    int dots = 0;
    for (char c : ip) {
        dots += c == '.';
        EXPECT_TRUE(c == '.' || (c >= '0' && c <= '9')) << ip;
    }
    EXPECT_EQ(dots, 3);
}

} // namespace
