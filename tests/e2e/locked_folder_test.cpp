// "完了" in a folder where no new file can be made but set.txt is writable.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"

namespace halvo::e2e {
namespace {

// The folder comes from a CTest fixture that marks it immutable with a
// set.txt inside.
TEST(LockedFolder, ApplyWritesSetTxtInPlace) {
    const char* fixture = std::getenv("HALVO_E2E_LOCKED_DIR");
    if (fixture == nullptr) GTEST_SKIP() << "HALVO_E2E_LOCKED_DIR is not set; run through ctest";
    TempDir dir(HostPath(fixture));
    ASSERT_TRUE(dir.Read("set.txt").has_value()) << "the fixture left no set.txt in " << fixture;
    const UniqueHandle probe(CreateFileW((dir.Path() / "probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (probe.Get() != INVALID_HANDLE_VALUE) GTEST_SKIP() << "the fixture could not lock " << fixture;

    HalvoProcess app(Program::Halvo, dir.Path());
    ASSERT_TRUE(app.Started());
    const auto boxes = app.Click(IDC_APPLY);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kSuccessText);
    EXPECT_EQ(dir.Read("set.txt"), ExpectedFile({2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1}));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
}

}  // namespace
}  // namespace halvo::e2e
