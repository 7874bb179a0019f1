#include "halvo/platform/dialog_template.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "resource_bytes.h"

namespace halvo::platform {
namespace {

using test_support::Bytes;

// The header of an extended template: dlgVer, signature, helpID, exStyle, style, count, x, y, cx, cy.
Bytes ExtendedHeader(std::uint32_t style, std::int16_t x, std::int16_t y) {
    Bytes data;
    data.Word(1).Word(0xFFFF).DoubleWord(0).DoubleWord(0x00040000).DoubleWord(style).Word(29);
    data.Word(static_cast<std::uint16_t>(x)).Word(static_cast<std::uint16_t>(y)).Word(420).Word(246);
    return data;
}

TEST(ParseDialogTemplateHeader, ReadsExtendedTemplate) {
    const auto header = ParseDialogTemplateHeader(ExtendedHeader(0x90C800C8u, 0, 0).Span());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->style, 0x90C800C8u);
    EXPECT_EQ(header->x, 0);
    EXPECT_EQ(header->y, 0);
}

TEST(ParseDialogTemplateHeader, ReadsNegativePositions) {
    const auto header = ParseDialogTemplateHeader(ExtendedHeader(0, -5, 7).Span());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->x, -5);
    EXPECT_EQ(header->y, 7);
}

TEST(ParseDialogTemplateHeader, ReadsClassicTemplate) {
    Bytes data;
    data.DoubleWord(0x80C80880u).DoubleWord(0).Word(3).Word(10).Word(20).Word(100).Word(50);
    const auto header = ParseDialogTemplateHeader(data.Span());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->style, 0x80C80880u);
    EXPECT_EQ(header->x, 10);
    EXPECT_EQ(header->y, 20);
}

TEST(ParseDialogTemplateHeader, RefusesShortData) {
    const Bytes full = ExtendedHeader(0, 0, 0);
    EXPECT_FALSE(ParseDialogTemplateHeader(full.Cut(17)));
    EXPECT_FALSE(ParseDialogTemplateHeader({}));
}

}  // namespace
}  // namespace halvo::platform
