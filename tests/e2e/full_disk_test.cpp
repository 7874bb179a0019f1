// A full disk: the write fails, the user is told, and the old file survives whole.

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
TEST(FullDisk, ApplyReportsAnErrorAndKeepsThePreviousFile) {
    const char* mount = std::getenv("HALVO_E2E_FULL_DIR");
    if (mount == nullptr) GTEST_SKIP() << "HALVO_E2E_FULL_DIR is not set; run through ctest";
    const std::filesystem::path unixDir(mount);
    const std::filesystem::path skipNote = HostPath(std::string(mount) + ".skip");
    if (std::filesystem::exists(skipNote)) {
        std::ifstream in(skipNote);
        const std::string reason((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        GTEST_SKIP() << "no full disk to test on: " << reason;
    }

    TempDir dir(HostPath(mount));
    const auto before = dir.Read("set.txt");
    ASSERT_TRUE(before.has_value()) << "the fixture left no set.txt in " << mount;
    const auto entriesBefore = dir.Entries();

    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());
    const auto boxes = app.Click(IDC_APPLY);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kErrorText);
    EXPECT_EQ(boxes[0].caption, L"Halvo");
    EXPECT_TRUE(app.WaitForExit(15000)) << "the program must end after the error";
    EXPECT_EQ(dir.Read("set.txt"), before) << "the previous set.txt must be intact";
    EXPECT_EQ(dir.Entries(), entriesBefore) << "no partial or temporary file may be left";
}

}  // namespace
}  // namespace halvo::e2e
