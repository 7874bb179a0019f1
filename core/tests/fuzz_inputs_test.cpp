// The fuzz targets' dictionary and seeds are kept in the repository as plain
// files; these tests keep them in step with the layout and the golden files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "golden_set_file.h"
#include "halvo/set_file_layout.h"
#include "test_files.h"

namespace halvo {
namespace {

using Bytes = std::vector<std::uint8_t>;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The entries of a libFuzzer dictionary (name="value", \xNN escapes); an
// entry that cannot be read fails the test.
std::vector<Bytes> DictionaryEntries(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::vector<Bytes> entries;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t open = line.find('"');
        const std::size_t close = line.rfind('"');
        if (open == std::string::npos || close <= open) {
            ADD_FAILURE() << "not an entry: " << line;
            continue;
        }
        Bytes value;
        for (std::size_t i = open + 1; i < close; ++i) {
            if (line[i] == '\\' && i + 3 < close && line[i + 1] == 'x') {
                const int high = HexDigit(line[i + 2]), low = HexDigit(line[i + 3]);
                if (high < 0 || low < 0) {
                    ADD_FAILURE() << "bad escape: " << line;
                    break;
                }
                value.push_back(static_cast<std::uint8_t>(high * 16 + low));
                i += 3;
            } else {
                value.push_back(static_cast<std::uint8_t>(line[i]));
            }
        }
        entries.push_back(value);
    }
    return entries;
}

bool Holds(const std::vector<Bytes>& entries, const Bytes& value) {
    return std::find(entries.begin(), entries.end(), value) != entries.end();
}

TEST(FuzzDictionary, HoldsEveryLabelAndTheLineEnd) {
    const std::vector<Bytes> entries = DictionaryEntries(HALVO_FUZZ_DIR "/set_txt.dict");
    for (const SetFileLine& line : kSetFileLines) {
        SCOPED_TRACE(std::string(ListOf(line.list).name) + (line.part != nullptr ? line.part : ""));
        EXPECT_TRUE(Holds(entries, Bytes(line.label.begin(), line.label.end())));
    }
    EXPECT_TRUE(Holds(entries, Bytes{'\r', '\n'}));
    EXPECT_TRUE(Holds(entries, Bytes(kTrailingSpaces, ' ')));
    for (std::uint8_t d = '0'; d <= '9'; ++d) EXPECT_TRUE(Holds(entries, Bytes{d})) << d;
}

// The reader's seeds start the search from the two golden files.
TEST(FuzzSeeds, SoundSeedsAreTheGoldenFiles) {
    EXPECT_EQ(test::ReadFile(HALVO_FUZZ_DIR "/corpus/parse/initial"),
              Bytes(std::begin(golden::kInitialFile), std::end(golden::kInitialFile)));
    EXPECT_EQ(test::ReadFile(HALVO_FUZZ_DIR "/corpus/parse/last"),
              Bytes(std::begin(golden::kLastSetFile), std::end(golden::kLastSetFile)));
}

}  // namespace
}  // namespace halvo
