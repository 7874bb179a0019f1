#include "show.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "halvo/set_file.h"
#include "halvo/set_file_reader.h"
#include "words.h"

namespace halvo::cli {
namespace {

namespace fs = std::filesystem;

// The most bytes --show reads, in words.
std::string MaxShowText() { return std::to_string(kMaxShowBytes >> 20) + " MiB"; }
static_assert(kMaxShowBytes % (1 << 20) == 0);

}  // namespace

std::optional<Failure> Show(const std::string& given, Console& console) {
    fs::path file = given.empty() ? fs::path(".") : fs::path(given);
    std::error_code ec;
    if (fs::is_directory(file, ec)) file /= kSetFileName;
    const std::string shown = Display(file);

    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) return Failure{kExitFile, shown + ": no such file"};
    if (status.type() == fs::file_type::directory) return Failure{kExitFile, shown + ": is a folder, not a file"};
    std::ifstream in(file, std::ios::binary);
    if (!in) return Failure{kExitFile, shown + ": cannot be opened for reading"};
    std::vector<std::uint8_t> bytes(kMaxShowBytes + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return Failure{kExitFile, shown + ": could not be read"};
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxShowBytes) {
        return Failure{kExitFile, shown + ": is larger than " + MaxShowText() + "; " + kSetFileName + " is " +
                                      std::to_string(kSetFileSize) + " bytes"};
    }

    const SetFileReading reading = ParseSetFile(bytes);
    if (reading.problem) {
        const SetFileProblem& p = *reading.problem;
        return Failure{kExitFile, shown + ": byte " + std::to_string(p.offset) + ", line " +
                                      std::to_string(p.line) + ": " + p.message};
    }
    console.out << shown << ": the device reads these settings\n" << Listing(*reading.settings);
    return std::nullopt;
}

}  // namespace halvo::cli
