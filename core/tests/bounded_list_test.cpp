#include "halvo/bounded_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace halvo {
namespace {

TEST(BoundedList, HoldsUpToItsCapacityAndKeepsThoseWhenFull) {
    BoundedList<int, 2> list;
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(list.push_back(7));
    EXPECT_TRUE(list.push_back(8));
    EXPECT_FALSE(list.push_back(9));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1], 8);
    EXPECT_EQ(list, (std::vector<int>{7, 8}));
}

TEST(BoundedList, ComparesWithOtherRangesByValuesInOrder) {
    BoundedList<int, 3> list;
    list.push_back(1);
    list.push_back(2);
    EXPECT_TRUE((std::vector<int>{1, 2}) == list);
    EXPECT_FALSE(list == (std::vector<int>{2, 1}));
    EXPECT_FALSE(list == (std::vector<int>{1}));
    EXPECT_FALSE(list == (std::vector<int>{1, 2, 3}));
    BoundedList<int, 3> same = list;
    EXPECT_EQ(same, list);
    same.push_back(3);
    EXPECT_NE(same, list);
}

}  // namespace
}  // namespace halvo
