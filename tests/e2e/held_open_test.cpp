// "完了" while another program (an editor, a preview, a scanner) holds set.txt open.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"

namespace halvo::e2e {
namespace {

const DeviceSettings kInitialSettings{2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1};

UniqueHandle Hold(const TempDir& dir, DWORD access, DWORD share) {
    return UniqueHandle(CreateFileW((dir.Path() / "set.txt").c_str(), access, share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The whole file as the holding program reads it through its own handle.
std::vector<std::uint8_t> ReadThrough(HANDLE h) {
    std::vector<std::uint8_t> bytes(4096);
    DWORD read = 0;
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    if (!ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    return bytes;
}

// Sharing reading and writing but not deleting keeps the file from being
// replaced; the program writes it in place instead.
TEST(HeldOpen, WithoutDeleteSharingTheFileIsWrittenInPlace) {
    TempDir dir;
    dir.Write("set.txt", std::vector<std::uint8_t>(1000, 'x'));
    const UniqueHandle held = Hold(dir, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());

    const auto boxes = app.Click(kIdApply);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kSuccessText);
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(ReadThrough(held.Get()), ExpectedFile(kInitialSettings)) << "the holder sees the new bytes";
    EXPECT_EQ(dir.Read("set.txt"), ExpectedFile(kInitialSettings));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
}

// A holder that lets others read only: no way to write remains, so the user
// is told and the file is as it was.
TEST(HeldOpen, WithoutWriteSharingTheUserIsToldAndTheFileIsKept) {
    TempDir dir;
    const std::vector<std::uint8_t> previous = {'o', 'l', 'd', '\r', '\n'};
    dir.Write("set.txt", previous);
    const UniqueHandle held = Hold(dir, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(held.Get(), INVALID_HANDLE_VALUE);
    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());

    const auto boxes = app.Click(kIdApply);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kErrorText);
    EXPECT_TRUE(app.WaitForExit(15000)) << "the program must end after the error";
    EXPECT_EQ(ReadThrough(held.Get()), previous);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"}) << "no temporary file may be left";
}

}  // namespace
}  // namespace halvo::e2e
