// The variant's kinds, array bounds and the host's text conversions.
#include <zeph/client/Variant.h>

#include <gtest/gtest.h>

namespace {

using zeph::EVariantError;
using zeph::Variant;

TEST(VariantTest, TextConversionFollowsTheHost) {
    struct Case {
        Variant value;
        std::string text;
    };
    const Case cases[] = {
        {Variant(), ""},         {Variant::Null(), ""},
        {Variant(true), "True"}, {Variant(false), "False"},
        {Variant(42), "42"},     {Variant(std::int64_t{-7}), "-7"},
        {Variant(2.5), "2.5"},   {Variant(0.1), "0.1"},
        {Variant(1e15), "1E15"}, {Variant(123456789012345.0), "123456789012345"},
        {Variant(1e-5), "1E-5"}, {Variant("abc"), "abc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.AsText(), c.text);
    }
    EXPECT_THROW(Variant::Array(0, 1).AsText(), EVariantError);
}

TEST(VariantTest, ArraysHaveBoundsAndCopyByValue) {
    Variant a = Variant::Array(0, 2);
    EXPECT_TRUE(a.IsArray());
    EXPECT_EQ(a.LowBound(), 0);
    EXPECT_EQ(a.HighBound(), 2);
    EXPECT_TRUE(a[1].IsEmpty());
    a[1] = "x";
    Variant b = a;
    b[1] = "y";
    EXPECT_EQ(a[1].AsText(), "x");
    EXPECT_THROW(a[3], EVariantError);
    EXPECT_THROW(a[-1], EVariantError);
    EXPECT_THROW(Variant("x").HighBound(), EVariantError);
    Variant none = Variant::Array(0, -1);
    EXPECT_EQ(none.HighBound(), -1);
    Variant nested = Variant::ArrayOf({Variant("a"), Variant::ArrayOf({Variant(1)})});
    EXPECT_EQ(nested[1][0].AsInteger(), 1);
}

TEST(VariantTest, IntegerConversionRejectsNonNumbers) {
    EXPECT_EQ(Variant("12").AsInteger(), 12);
    EXPECT_EQ(Variant(" 12 ").AsInteger(), 12);
    EXPECT_EQ(Variant("-3").AsInteger(), -3);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    for (const char* bad : {"", "abc", "12a", "1.5", "--1"}) {
        EXPECT_THROW(Variant(bad).AsInteger(), EVariantError) << bad;
    }
    EXPECT_THROW(Variant::Null().AsInteger(), EVariantError);
}

TEST(VariantTest, KindsAreDistinct) {
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_FALSE(Variant::Null().IsEmpty());
    EXPECT_TRUE(Variant::Null().IsEmptyOrNull());
    EXPECT_EQ(Variant(1.0).GetKind(), Variant::Kind::Floating);
    EXPECT_EQ(Variant("").GetKind(), Variant::Kind::Text);
}

} // namespace
