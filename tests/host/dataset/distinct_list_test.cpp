// The distinct-value list keeps the first form of each value, in order, ignoring case.
#include <zeph/dataset/TDistinctList.h>

#include <gtest/gtest.h>

namespace {

using namespace zeph::dataset;

TEST(DistinctList, FirstFormInOrderOfFirstOccurrenceIgnoringCase) {
    TDistinctList list;
    EXPECT_TRUE(list.Add("A1"));
    EXPECT_TRUE(list.Add("b2"));
    EXPECT_FALSE(list.Add("a1"));
    EXPECT_FALSE(list.Add("B2"));
    EXPECT_TRUE(list.Add("A1 "));
    EXPECT_TRUE(list.Add(zeph::text::Utf8ToGbk("张三")));
    EXPECT_FALSE(list.Add(zeph::text::Utf8ToGbk("张三")));
    EXPECT_EQ(list.Items(),
              (std::vector<std::string>{"A1", "b2", "A1 ", zeph::text::Utf8ToGbk("张三")}));
    EXPECT_TRUE(list.Contains("B2"));
    EXPECT_FALSE(list.Contains("C3"));
}

// Enough values to grow the table many times; each later form in other case finds the first.
TEST(DistinctList, ManyValuesKeepTheirPositions) {
    TDistinctList list;
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(list.AddOrFind("id" + std::to_string(i) + "x"), static_cast<std::size_t>(i));
    }
    for (int i = 4999; i >= 0; --i) {
        ASSERT_EQ(list.AddOrFind("ID" + std::to_string(i) + "X"), static_cast<std::size_t>(i));
    }
    EXPECT_EQ(list.Count(), 5000u);
    EXPECT_EQ(list.At(4321), "id4321x");
    // A trail byte that looks like a letter is part of its character, not a letter.
    EXPECT_EQ(list.AddOrFind("\x81"
                             "a"),
              5000u);
    EXPECT_EQ(list.AddOrFind("\x81"
                             "A"),
              5001u);
    EXPECT_FALSE(list.Contains("\x82"
                               "a"));
}

TEST(DistinctList, IndexOutsideTheListRaises) {
    TDistinctList list;
    list.Add("x");
    EXPECT_EQ(list.At(0), "x");
    try {
        list.At(30);
        ADD_FAILURE();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (30)");
    }
    EXPECT_THROW(list.At(-1), EListError);
    EXPECT_THROW(list.At(1), EListError);
}

} // namespace
