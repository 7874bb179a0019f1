#include "golden_set_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"

namespace halvo {
namespace {

std::vector<std::uint8_t> Encoded(const DeviceSettings& s) {
    const SetFileBytes bytes = ToDiskBytes(EncodeSetRecord(s));
    return {bytes.begin(), bytes.end()};
}

const std::vector<std::uint8_t> kLastFile(std::begin(golden::kLastSetFile), std::end(golden::kLastSetFile));

TEST(SecondGoldenFile, IsWhatTheEncoderWritesForTheLastOfEverything) {
    EXPECT_EQ(Encoded(golden::kLastSettings), kLastFile);
}

TEST(SecondGoldenFile, ReadsBackAsTheLastOfEverything) {
    const SetFileReading reading = ParseSetFile(kLastFile);
    ASSERT_TRUE(reading.settings.has_value()) << reading.problem->message;
    EXPECT_EQ(*reading.settings, golden::kLastSettings);
}

// The end-to-end tests take their expected bytes from GoldenSetFile; it must
// put each value where the device looks for it.
TEST(GoldenSetFile, PutsEachValueInPlace) {
    const DeviceSettings cases[] = {
        {2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1},
        {2034, 2, 29, 7, 8, 9, 1, 1, 1, 0, 1, 0, 1},
        {2049, 11, 30, 22, 58, 57, 0, 3, 1, 1, 0, 1, 0},
        golden::kLastSettings,
    };
    for (const DeviceSettings& s : cases) {
        SCOPED_TRACE(s.year);
        EXPECT_EQ(golden::GoldenSetFile(s), Encoded(s));
    }
}

// The launch test of the shipped programs compares with this file on disk;
// it must be the same bytes as the literal.
TEST(GoldenFileOnDisk, IsTheInitialFile) {
    std::ifstream in(HALVO_GOLDEN_DIR "/set-initial.txt", std::ios::binary);
    ASSERT_TRUE(in.good());
    const std::vector<std::uint8_t> onDisk{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(onDisk, std::vector<std::uint8_t>(std::begin(golden::kInitialFile), std::end(golden::kInitialFile)));
}

}  // namespace
}  // namespace halvo
