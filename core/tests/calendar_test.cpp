#include "halvo/calendar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace halvo {
namespace {

TEST(DaysInMonth, GivesFebruaryIts29thInLeapYearsOnly) {
    constexpr std::int32_t kExpected[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (std::int32_t month = 1; month <= 12; ++month)
        EXPECT_EQ(DaysInMonth(2023, month), kExpected[month - 1]) << month;
    for (std::int32_t year : {2024, 2028, 2048, 2000}) EXPECT_EQ(DaysInMonth(year, 2), 29) << year;
    for (std::int32_t year : {2021, 2022, 2023, 2025, 2026, 2050, 2100}) EXPECT_EQ(DaysInMonth(year, 2), 28) << year;
}

TEST(DaysInMonth, IsZeroOutsideTheYear) {
    for (std::int32_t month : {0, 13, -1, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()})
        EXPECT_EQ(DaysInMonth(2024, month), 0) << month;
}

TEST(PositionsFromClock, GivesEachListPosition) {
    EXPECT_EQ(PositionsFromClock({2021, 1, 1, 0, 0, 0}), (DateTime{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(PositionsFromClock({2050, 12, 31, 23, 59, 59}), (DateTime{29, 11, 30, 23, 59, 59}));
    EXPECT_EQ(PositionsFromClock({2026, 2, 29, 13, 7, 42}), (DateTime{5, 1, 28, 13, 7, 42}));
}

TEST(PositionsFromClock, MarksEachValueOutsideItsListOnItsOwn) {
    EXPECT_EQ(PositionsFromClock({2020, 1, 1, 0, 0, 0}), (DateTime{-1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(PositionsFromClock({2051, 6, 15, 12, 30, 30}), (DateTime{-1, 5, 14, 12, 30, 30}));
    EXPECT_EQ(PositionsFromClock({2030, 0, 32, 24, 60, 60}), (DateTime{9, -1, -1, -1, -1, -1}));
    EXPECT_EQ(PositionsFromClock({2030, 13, 0, -1, -1, -1}), (DateTime{9, -1, -1, -1, -1, -1}));
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(PositionsFromClock({kMin, kMax, kMin, kMax, kMin, kMax}), (DateTime{-1, -1, -1, -1, -1, -1}));
}

}  // namespace
}  // namespace halvo
