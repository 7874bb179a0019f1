// Halvo.exe's own code, linked with resources from which no dialog can be
// made, must end at once with a failure status instead of 0.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "driver.h"

namespace halvo::e2e {
namespace {

struct BrokenProgram {
    const char* name;
    const char* path;
};

void PrintTo(const BrokenProgram& p, std::ostream* os) { *os << p.name; }

class StartupFailure : public ::testing::TestWithParam<BrokenProgram> {};

TEST_P(StartupFailure, EndsWithAFailureStatus) {
    const std::optional<DWORD> code = RunToExit(HostPath(GetParam().path), 30000);
    ASSERT_TRUE(code.has_value()) << "the program did not end by itself";
    EXPECT_EQ(*code, DWORD{1});
}

INSTANTIATE_TEST_SUITE_P(
    Resources, StartupFailure,
    ::testing::Values(BrokenProgram{"NoTemplate", HALVO_NO_TEMPLATE_EXE_PATH},
                      BrokenProgram{"BadListData", HALVO_BAD_LIST_DATA_EXE_PATH}),
    [](const ::testing::TestParamInfo<BrokenProgram>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace halvo::e2e
