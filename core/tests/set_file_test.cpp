#include "halvo/set_file.h"
#include "halvo/set_file_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "golden_set_file.h"
#include "test_files.h"

namespace halvo {
namespace {

namespace fs = std::filesystem;

using golden::kInitialFile;

constexpr DeviceSettings kInitialSettings{2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1};

std::vector<std::uint8_t> Bytes(const SetFileBytes& b) { return {b.begin(), b.end()}; }
std::vector<std::uint8_t> Golden() { return {std::begin(kInitialFile), std::end(kInitialFile)}; }

using test::ReadFile;
using test::WriteRaw;

TEST(EncodeSetRecord, InitialSettingsGiveTheGoldenFile) {
    EXPECT_EQ(Bytes(ToDiskBytes(EncodeSetRecord(kInitialSettings))), Golden());
}

TEST(EncodeSetRecord, RecordIsTheFileWithoutCarriageReturns) {
    const SetRecord record = EncodeSetRecord(kInitialSettings);
    std::vector<std::uint8_t> expected;
    for (std::uint8_t b : kInitialFile)
        if (b != 0x0d) expected.push_back(b);
    EXPECT_EQ(std::vector<std::uint8_t>(record.begin(), record.end()), expected);
}

// The encoder puts as many bytes whatever the values, so one constant
// evaluation shows that it fills the record exactly: a byte too many or too
// few fails the build here, before any test runs.
static_assert(detail::Encode(kInitialSettings).put == kSetRecordSize);
static_assert(detail::ToDisk(EncodeSetRecord(kInitialSettings)).put == kSetFileSize);
static_assert(std::ranges::equal(ToDiskBytes(EncodeSetRecord(kInitialSettings)), kInitialFile));

// The same counts at run time, for values inside and far outside the checks.
TEST(EncodeSetRecord, PutsExactlyTheRecordsBytesWhateverTheValues) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    std::vector<DeviceSettings> cases = {kInitialSettings, {2050, 12, 31, 23, 59, 59, 1, 5, 1, 2, 0, 1, 0}};
    for (std::int32_t v : {kMin, -1, 0, 9, 10, 99999, kMax}) cases.push_back({v, v, v, v, v, v, v, v, v, v, v, v, v});
    for (const DeviceSettings& s : cases) {
        SCOPED_TRACE(s.year);
        const detail::EncodedRecord encoded = detail::Encode(s);
        EXPECT_EQ(encoded.put, kSetRecordSize);
        EXPECT_EQ(encoded.record, EncodeSetRecord(s));
        const detail::DiskImage disk = detail::ToDisk(encoded.record);
        EXPECT_EQ(disk.put, kSetFileSize);
        EXPECT_EQ(disk.bytes, ToDiskBytes(encoded.record));
    }
}

// A record that did not come from the encoder may hold more line feeds than
// the file has room for; their CRs must not be written past the 282 bytes.
TEST(ToDiskBytes, ARecordOfLineFeedsStopsAtTheEndOfTheFile) {
    SetRecord record;
    record.fill('\n');
    const detail::DiskImage disk = detail::ToDisk(record);
    EXPECT_EQ(disk.put, 2 * kSetRecordSize);
    for (std::size_t i = 0; i < kSetFileSize; ++i) ASSERT_EQ(disk.bytes[i], i % 2 == 0 ? '\r' : '\n') << i;
    EXPECT_EQ(ToDiskBytes(record), disk.bytes);
}

struct FieldCase {
    std::size_t offset;  // in the 270-byte record
    std::string digits;
};

TEST(EncodeSetRecord, ExtremeValuesLandAtTheirOffsets) {
    const DeviceSettings s{2050, 12, 31, 23, 59, 59, 1, 5, 1, 2, 1, 1, 0};
    const SetRecord r = EncodeSetRecord(s);
    const FieldCase fields[] = {
        {5, "2050"}, {15, "12"}, {23, "31"}, {31, "23"}, {39, "59"}, {47, "59"}, {68, "1"},
        {114, "5"},  {142, "1"}, {179, "2"}, {203, "1"}, {238, "1"}, {262, "0"},
    };
    for (const FieldCase& f : fields) {
        SCOPED_TRACE(f.offset);
        EXPECT_EQ(std::string(r.begin() + static_cast<std::ptrdiff_t>(f.offset),
                              r.begin() + static_cast<std::ptrdiff_t>(f.offset + f.digits.size())),
                  f.digits);
    }
    EXPECT_EQ(r[9], '\n');
    EXPECT_EQ(r[239], '\n');
    EXPECT_EQ(std::string(r.end() - 7, r.end()), "       ");
}

TEST(EncodeSetRecord, ValuesThatFailedTheChecksStillGiveDigits) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    for (std::int32_t v : {kMin, kMax, -1, 100, 2020}) {
        const DeviceSettings s{v, v, v, v, v, v, v, v, v, v, v, v, v};
        const SetRecord r = EncodeSetRecord(s);
        SCOPED_TRACE(v);
        for (std::size_t at : {7u, 8u, 15u, 16u, 68u, 114u, 262u}) EXPECT_TRUE(r[at] >= '0' && r[at] <= '9');
    }
}

class WriteSetFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / (std::string("halvo-core-") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Everything in the directory besides the files named.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        return names;
    }

    fs::path dir_;
};

TEST_F(WriteSetFileTest, WritesTheGoldenFile) {
    EXPECT_EQ(WriteSetFile(kInitialSettings, dir_), std::nullopt);
    EXPECT_EQ(ReadFile(dir_ / "set.txt"), Golden());
    EXPECT_EQ(Entries(), std::vector<std::string>{"set.txt"});
}

TEST_F(WriteSetFileTest, ReplacesALongerFileEntirely) {
    WriteRaw(dir_ / "set.txt", std::string(5000, 'x'));
    EXPECT_EQ(WriteSetFile(kInitialSettings, dir_), std::nullopt);
    EXPECT_EQ(ReadFile(dir_ / "set.txt"), Golden());
}

TEST_F(WriteSetFileTest, WritesIntoTheCurrentDirectory) {
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    const auto fault = WriteSetFile(kInitialSettings);
    fs::current_path(before);
    EXPECT_EQ(fault, std::nullopt);
    EXPECT_EQ(ReadFile(dir_ / "set.txt"), Golden());
}

TEST_F(WriteSetFileTest, DirectoryNamedSetTxtFailsAtOpening) {
    fs::create_directory(dir_ / "set.txt");
    EXPECT_EQ(WriteSetFile(kInitialSettings, dir_), WriteStage::Open);
    EXPECT_TRUE(fs::is_directory(dir_ / "set.txt"));
    EXPECT_TRUE(fs::is_empty(dir_ / "set.txt"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"set.txt"});
}

TEST_F(WriteSetFileTest, MissingDirectoryFailsAtOpening) {
    EXPECT_EQ(WriteSetFile(kInitialSettings, dir_ / "absent"), WriteStage::Open);
    EXPECT_FALSE(fs::exists(dir_ / "absent"));
}

#ifndef _WIN32
using test::FileSizeLimit;

TEST_F(WriteSetFileTest, FailedWriteKeepsThePreviousFile) {
    const std::string previous = "previous contents";
    WriteRaw(dir_ / "set.txt", previous);
    std::optional<WriteFailure> fault;
    {
        FileSizeLimit limit(100);
        fault = WriteSetFile(kInitialSettings, dir_);
    }
    EXPECT_EQ(fault, WriteStage::Write);
    const auto bytes = ReadFile(dir_ / "set.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), previous);
    EXPECT_EQ(Entries(), std::vector<std::string>{"set.txt"});
}

TEST_F(WriteSetFileTest, FailedWriteLeavesNoFileWhereThereWasNone) {
    std::optional<WriteFailure> fault;
    {
        FileSizeLimit limit(0);
        fault = WriteSetFile(kInitialSettings, dir_);
    }
    EXPECT_EQ(fault, WriteStage::Write);
    EXPECT_TRUE(Entries().empty());
}
#endif

}  // namespace
}  // namespace halvo
