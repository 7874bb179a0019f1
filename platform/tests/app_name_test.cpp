#include "halvo/platform/app_name.h"

#include <gtest/gtest.h>

#include <string>

namespace halvo::platform {
namespace {

TEST(BaseNameWithoutExtension, DropsDirectoryAndExtension) {
    EXPECT_EQ(BaseNameWithoutExtension(L"C:\\Program Files\\Halvo\\Halvo.exe"), L"Halvo");
    EXPECT_EQ(BaseNameWithoutExtension(L"Z:\\work\\build\\app\\HalvoTestClock.exe"), L"HalvoTestClock");
    EXPECT_EQ(BaseNameWithoutExtension(L"/unix/style/Halvo.exe"), L"Halvo");
    EXPECT_EQ(BaseNameWithoutExtension(L"Halvo.exe"), L"Halvo");
    EXPECT_EQ(BaseNameWithoutExtension(L"C:Halvo.exe"), L"Halvo");
}

TEST(BaseNameWithoutExtension, OnlyTheLastDotOfTheNameCounts) {
    EXPECT_EQ(BaseNameWithoutExtension(L"C:\\v1.2\\Halvo"), L"Halvo");
    EXPECT_EQ(BaseNameWithoutExtension(L"C:\\dir\\my.tool.exe"), L"my.tool");
    EXPECT_EQ(BaseNameWithoutExtension(L""), L"");
}

TEST(AppNameText, KeepsAFileNameWholeAndCutsAnythingLonger) {
    const std::wstring longest(AppNameText::kMaxLength, L'n');
    EXPECT_EQ(AppNameText(longest).view(), longest);
    EXPECT_EQ(AppNameText(longest + L"xyz").view(), longest);
    EXPECT_EQ(AppNameText(L"Halvo").view(), L"Halvo");
    EXPECT_EQ(AppNameText().view(), L"");
}

}  // namespace
}  // namespace halvo::platform
