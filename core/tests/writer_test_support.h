#pragma once

// What the writer's test files share: the settings they write, the bytes that
// gives, and a fixture with a fresh folder standing for the card.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "halvo/set_file.h"
#include "halvo/set_file_writer.h"
#include "test_files.h"

namespace halvo::test {

inline const DeviceSettings kSettings{2050, 12, 31, 23, 59, 59, 1, 5, 1, 2, 0, 1, 0};

inline std::vector<std::uint8_t> Expected() {
    const SetFileBytes bytes = ToDiskBytes(EncodeSetRecord(kSettings));
    return {bytes.begin(), bytes.end()};
}

inline std::vector<std::uint8_t> AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

/// An old set.txt longer than the new file, so that a file not cut to length shows.
inline const std::string kOld(1000, 'x');

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // Suite and name, with a parameterised test's '/' kept out of the path:
        // ctest may run the cases of one program side by side.
        std::string name = std::string("halvo-writer-") + info->test_suite_name() + "." + info->name();
        for (char& c : name) {
            if (c == '/') c = '.';
        }
        dir_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "card");
        card_ = dir_ / "card";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Names of the entries in a folder, links included, in no set order.
    static std::vector<std::string> Entries(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }

    std::filesystem::path dir_;
    std::filesystem::path card_;
};

}  // namespace halvo::test
