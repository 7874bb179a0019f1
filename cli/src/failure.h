#pragma once

// What went wrong in a run of halvo-set, and the few words every part of it
// uses to say so.

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "halvo_set.h"

namespace halvo::cli {

/// What went wrong, and which exit status it earns.
struct Failure {
    int status;
    std::string message;
};

/// A refused command line or value: exit status 2.
inline Failure Usage(std::string message) { return {kExitUsage, std::move(message)}; }

/// Where every refused command line points to.
inline constexpr char kHelpHint[] = " (see halvo-set --help)";

/// A path for messages: absolute, so that the user sees which card was meant.
inline std::string Display(const std::filesystem::path& p) {
    std::error_code ec;
    std::filesystem::path shown = std::filesystem::absolute(p, ec);
    if (ec) shown = p;
    return shown.lexically_normal().string();
}

/// A typed value for a message; an empty one would vanish otherwise.
inline std::string Typed(const std::string& text) { return text.empty() ? "\"\"" : text; }

}  // namespace halvo::cli
