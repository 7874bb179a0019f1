#include "halvo/platform/rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace halvo::platform {
namespace {

// Little-endian bytes built from words, double words and text.
class Bytes {
public:
    Bytes& Word(std::uint16_t v) {
        Byte(v & 0xFF);
        return Byte(v >> 8);
    }
    Bytes& DoubleWord(std::uint32_t v) {
        Word(static_cast<std::uint16_t>(v & 0xFFFF));
        return Word(static_cast<std::uint16_t>(v >> 16));
    }
    Bytes& Text(const char* s, bool withZero = true) {
        for (; *s != '\0'; ++s) Byte(static_cast<unsigned char>(*s));
        if (withZero) Byte(0);
        return *this;
    }
    Bytes& Byte(unsigned v) {
        bytes_.push_back(static_cast<std::byte>(v));
        return *this;
    }
    // One add-string record with the text and its zero, as the resource compiler writes it.
    Bytes& Entry(std::uint16_t id, const char* text) {
        Word(id).Word(kListDataAddString).DoubleWord(static_cast<std::uint32_t>(std::char_traits<char>::length(text) + 1));
        return Text(text);
    }
    std::span<const std::byte> Span() const { return bytes_; }
    std::vector<std::byte> Cut(std::size_t size) const { return {bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(size)}; }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::vector<std::byte> bytes_;
};

using Entries = std::vector<ListDataEntry>;

TEST(ParseListData, ReadsRecordsInOrderAcrossOddOffsets) {
    Bytes data;
    data.Entry(1000, "2021").Entry(1000, "2022").Entry(1001, "1").Entry(1003, "0").Word(0);
    EXPECT_EQ(ParseListData(data.Span()),
              (Entries{{1000, "2021"}, {1000, "2022"}, {1001, "1"}, {1003, "0"}}));
}

TEST(ParseListData, EndRecordAloneGivesNoEntries) {
    Bytes data;
    data.Word(0);
    EXPECT_EQ(ParseListData(data.Span()), Entries{});
}

TEST(ParseListData, IgnoresBytesAfterTheEndRecord) {
    Bytes data;
    data.Entry(1005, "59").Word(0).Word(0xBEEF).Byte(7);
    EXPECT_EQ(ParseListData(data.Span()), (Entries{{1005, "59"}}));
}

TEST(ParseListData, TextEndsAtItsLengthWhenItHasNoZero) {
    Bytes data;
    data.Word(1002).Word(kListDataAddString).DoubleWord(2).Text("31", false).Word(0);
    EXPECT_EQ(ParseListData(data.Span()), (Entries{{1002, "31"}}));
}

TEST(ParseListData, TextEndsAtItsFirstZero) {
    Bytes data;
    data.Word(1002).Word(kListDataAddString).DoubleWord(6).Text("12").Text("xy").Word(0);
    EXPECT_EQ(ParseListData(data.Span()), (Entries{{1002, "12"}}));
}

TEST(ParseListData, KeepsAnsiBytesAsTheyAre) {
    Bytes data;
    data.Word(1006).Word(kListDataAddString).DoubleWord(3).Byte(0x82).Byte(0xA0).Byte(0).Word(0);
    const auto entries = ParseListData(data.Span());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].text, std::string("\x82\xA0"));
}

TEST(ParseListData, RefusesDataWithoutEndRecord) {
    Bytes data;
    data.Entry(1000, "2021");
    EXPECT_FALSE(ParseListData(data.Span()));
    EXPECT_FALSE(ParseListData({}));
}

TEST(ParseListData, RefusesEveryTruncation) {
    Bytes data;
    data.Entry(1000, "2021").Entry(1001, "12").Word(0);
    for (std::size_t size = 0; size + 2 < data.Size(); ++size) {
        const std::vector<std::byte> cut = data.Cut(size);
        EXPECT_FALSE(ParseListData(cut)) << "cut to " << size << " bytes";
    }
}

TEST(ParseListData, RefusesLengthBeyondTheData) {
    Bytes data;
    data.Word(1000).Word(kListDataAddString).DoubleWord(0xFFFFFFFFu).Text("2021").Word(0);
    EXPECT_FALSE(ParseListData(data.Span()));
}

TEST(ParseListData, RefusesOtherMessages) {
    for (const std::uint16_t message : {std::uint16_t{0x0143}, std::uint16_t{0x0401}, std::uint16_t{0x1234}}) {
        Bytes data;
        data.Word(1000).Word(message).DoubleWord(5).Text("2021").Word(0);
        EXPECT_FALSE(ParseListData(data.Span())) << "message " << message;
    }
}

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

}  // namespace
}  // namespace halvo::platform
