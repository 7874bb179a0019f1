// "完了" where set.txt is a symbolic link: the file it points to is written.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"

namespace halvo::e2e {
namespace {

// The folders come from a CTest fixture that makes card/set.txt a link to
// real/settings.txt.
TEST(LinkedSetTxt, ApplyWritesTheFileTheLinkPointsTo) {
    const char* fixture = std::getenv("HALVO_E2E_LINK_DIR");
    if (fixture == nullptr) GTEST_SKIP() << "HALVO_E2E_LINK_DIR is not set; run through ctest";
    TempDir card(HostPath(std::string(fixture) + "/card"));
    TempDir real(HostPath(std::string(fixture) + "/real"));
    ASSERT_TRUE(real.Read("settings.txt").has_value()) << "the fixture left no linked file in " << fixture;

    HalvoProcess app(Program::Halvo, card.Path());
    ASSERT_TRUE(app.Started());
    const auto boxes = app.Click(IDC_APPLY);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kSuccessText);
    const auto expected = ExpectedFile({2021, 1, 1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 1});
    EXPECT_EQ(real.Read("settings.txt"), expected) << "the file the link points to must hold the new bytes";
    EXPECT_EQ(real.Entries(), std::vector<std::string>{"settings.txt"});
    EXPECT_EQ(card.Entries(), std::vector<std::string>{"set.txt"});
}

}  // namespace
}  // namespace halvo::e2e
