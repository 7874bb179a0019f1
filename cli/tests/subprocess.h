#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace halvo::cli::test {

// How a child process ended and what it wrote.
struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
    bool signalled = false;                              // ended by a signal (status is then 128 + its number)
    std::chrono::system_clock::time_point ended;          // when the test saw it end
    std::chrono::steady_clock::duration after_interrupt{};  // from SIGINT to its end, where one was sent
};

struct RunOptions {
    std::filesystem::path workdir;                  // the child's current folder
    std::optional<std::filesystem::path> stdout_to;  // standard output goes here instead of being captured
    std::optional<std::uint64_t> file_size_limit;    // RLIMIT_FSIZE for the child (POSIX only)
    std::optional<std::string> interrupt_once_err_has;  // SIGINT once standard error holds this (POSIX only)
};

// The halvo-set program that was built with these tests.
std::filesystem::path ProgramPath();

// Starts halvo-set with `args`, waits for it and collects its output.
ProgramRun RunProgram(const std::vector<std::string>& args, const RunOptions& options);

}  // namespace halvo::cli::test
