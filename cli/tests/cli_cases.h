#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "halvo/device_settings.h"

namespace halvo::cli::test {

// One invocation and everything it must do. In args and the expected texts,
// {dir} stands for the scratch folder, {file} for the displayed path of the
// set.txt in it and {absent} for a folder that does not exist there.
struct CliCase {
    std::string name;
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
    // The settings set.txt must then hold; without them the set.txt that was
    // there before must be untouched and nothing else may appear.
    std::optional<DeviceSettings> written;
};

// The invocations that need no clock: every one names a date and a time or
// fails before the clock is read.
const std::vector<CliCase>& CliCases();

// Replaces the placeholders above.
std::string Expand(const std::string& text, const std::filesystem::path& dir);

// The bytes set.txt must hold for these settings, from the golden file.
std::vector<std::uint8_t> FileFor(const DeviceSettings& settings);

// The file every error case finds in its folder beforehand.
inline const std::string kPreviousFile = "previous set.txt, must stay as it is\r\n";

// A fresh, empty folder for one test, removed again at the end of its scope.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace halvo::cli::test
