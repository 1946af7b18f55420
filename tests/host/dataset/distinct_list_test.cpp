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
