// "完了" while another program (an editor, a preview, a scanner) holds set.txt open.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"

namespace halvo::e2e {
namespace {

// The whole file as the holding program reads it through its own handle.
std::vector<std::uint8_t> ReadThrough(HANDLE h) {
    std::vector<std::uint8_t> bytes(4096);
    DWORD read = 0;
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    if (!ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    return bytes;
}

const std::vector<std::uint8_t> kPrevious(1000, 'x');

struct HeldCase {
    const char* name;
    DWORD access;  // how the other program opened set.txt
    DWORD share;
    bool written;  // "完了" succeeds with the new bytes, or reports an error and keeps the old
};

class HeldOpenTest : public ::testing::TestWithParam<HeldCase> {};

TEST_P(HeldOpenTest, ApplyWritesInPlaceWhereSharingAllowsIt) {
    const HeldCase& c = GetParam();
    TempDir dir;
    dir.Write("set.txt", kPrevious);
    const UniqueHandle held(CreateFileW((dir.Path() / "set.txt").c_str(), c.access, c.share, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());

    const auto boxes = app.Click(IDC_APPLY);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.written ? kSuccessText : kErrorText);
    if (c.written) {
        EXPECT_TRUE(app.Running());
    } else {
        EXPECT_TRUE(app.WaitForExit(15000)) << "the program must end after the error";
    }
    const auto expected = c.written ? ExpectedFile({2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1}) : kPrevious;
    EXPECT_EQ(ReadThrough(held.Get()), expected) << "what the holding program reads";
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"}) << "no temporary file may be left";
}

INSTANTIATE_TEST_SUITE_P(
    Sharing, HeldOpenTest,
    ::testing::Values(
        // Reading and writing shared, deleting (and so replacing) not: written in place.
        HeldCase{"ReadWriteShared", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        // Nobody else may write: the user is told and the file is as it was.
        HeldCase{"OnlyReadShared", GENERIC_READ, FILE_SHARE_READ, false}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace halvo::e2e
