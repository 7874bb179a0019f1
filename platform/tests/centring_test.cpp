#include "halvo/platform/centring.h"

#include <gtest/gtest.h>

namespace halvo::platform {
namespace {

TEST(WantsCentring, OnlyAtOriginWithoutPlacementStyles) {
    EXPECT_TRUE(WantsCentring({0x90C800C8u, 0, 0}));
    EXPECT_FALSE(WantsCentring({0x90C800C8u, 1, 0}));
    EXPECT_FALSE(WantsCentring({0x90C800C8u, 0, 1}));
    EXPECT_FALSE(WantsCentring({0x90C800C8u | kDsCenter, 0, 0}));
    EXPECT_FALSE(WantsCentring({0x90C800C8u | kDsCenterMouse, 0, 0}));
    EXPECT_FALSE(WantsCentring({0x90C800C8u | kDsAbsAlign, 0, 0}));
}

TEST(CentredPosition, CentresInsideTheArea) {
    EXPECT_EQ(CentredPosition({0, 0, 640, 400}, {0, 0, 1280, 1000}, {0, 0, 1280, 1000}), (Point{320, 300}));
    EXPECT_EQ(CentredPosition({50, 50, 51, 52}, {100, 200, 301, 403}, {0, 0, 1280, 1000}), (Point{200, 300}));
}

TEST(CentredPosition, KeepsTheTopLeftCornerInsideWhenTooLarge) {
    EXPECT_EQ(CentredPosition({0, 0, 1000, 800}, {0, 0, 800, 600}, {0, 0, 800, 600}), (Point{0, 0}));
    EXPECT_EQ(CentredPosition({0, 0, 300, 200}, {1000, 0, 1400, 300}, {0, 0, 1280, 1000}), (Point{980, 50}));
}

}  // namespace
}  // namespace halvo::platform
