#include "halvo/platform/list_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resource_bytes.h"

namespace halvo::platform {
namespace {

using test_support::Bytes;
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
    EXPECT_EQ(ParseListData(data.Span()), (Entries{{1006, "\x82\xA0"}}));
}

TEST(ParseListData, TakesTextsUpToTheLoadersBuffer) {
    const std::string longest(kListDataMaxText, 'x');
    Bytes fits;
    fits.Entry(1000, longest.c_str()).Word(0);
    EXPECT_EQ(ParseListData(fits.Span()), (Entries{{1000, longest}}));

    // What counts is the text before its zero, not the record's length.
    Bytes padded;
    padded.Word(1000).Word(kListDataAddString).DoubleWord(kListDataMaxText + 10).Text("12");
    for (std::size_t i = 3; i < kListDataMaxText + 10; ++i) padded.Byte('y');
    padded.Word(0);
    EXPECT_EQ(ParseListData(padded.Span()), (Entries{{1000, "12"}}));

    Bytes over;
    over.Entry(1000, (longest + "x").c_str()).Word(0);
    EXPECT_FALSE(ParseListData(over.Span()));
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

}  // namespace
}  // namespace halvo::platform
