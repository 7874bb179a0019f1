// A full disk with a set.txt on it, as a dash camera's card is: the new file
// goes into the old one's room.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "driver.h"

namespace halvo::e2e {
namespace {

// The directory comes from a CTest fixture that mounts a small tmpfs there,
// puts a set.txt in it and fills the rest.
TEST(FullDisk, ApplyWritesSetTxtInItsOwnRoom) {
    const char* mount = std::getenv("HALVO_E2E_FULL_DIR");
    if (mount == nullptr) GTEST_SKIP() << "HALVO_E2E_FULL_DIR is not set; run through ctest";
    const std::filesystem::path skipNote = HostPath(std::string(mount) + ".skip");
    if (std::filesystem::exists(skipNote)) {
        std::ifstream in(skipNote);
        const std::string reason((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        GTEST_SKIP() << "no full disk to test on: " << reason;
    }

    TempDir dir(HostPath(mount));
    ASSERT_TRUE(dir.Read("set.txt").has_value()) << "the fixture left no set.txt in " << mount;
    const auto entriesBefore = dir.Entries();

    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());
    const auto boxes = app.Click(IDC_APPLY);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kSuccessText);
    EXPECT_EQ(dir.Read("set.txt"), ExpectedFile({2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1}));
    EXPECT_EQ(dir.Entries(), entriesBefore) << "no temporary file may be left";
    EXPECT_TRUE(app.Click(IDOK).empty());
    EXPECT_TRUE(app.WaitForExit(15000));
}

}  // namespace
}  // namespace halvo::e2e
