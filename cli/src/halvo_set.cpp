#include "halvo_set.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "failure.h"
#include "options.h"
#include "show.h"
#include "words.h"
#include "write.h"

#ifndef HALVO_VERSION
#error "HALVO_VERSION must be defined by the build"
#endif

namespace halvo::cli {
namespace {

using O = OptionId;

// What each exit status means, for --help.
struct ExitMeaning {
    int status;
    const char* meaning;
};
constexpr ExitMeaning kExitMeanings[] = {
    {kExitOk, "done"},
    {kExitFile, "set.txt could not be written, or the file given to --show could not be read or is not valid"},
    {kExitUsage, "a malformed command line or a refused value (a missing --output folder counts as one)"},
    {kExitInterrupted, "the countdown was stopped with Ctrl-C (set.txt is written)"},
};

std::string Footer() {
    constexpr std::size_t kWidth = 76;
    std::string exits = "Exit status:";
    for (const ExitMeaning& exit : kExitMeanings) {
        exits += std::string(&exit == kExitMeanings ? " " : "; ") + std::to_string(exit.status) + " " + exit.meaning;
    }
    return Wrapped("Each value, and a clock reading, is checked as the settings dialog checks it (the years are " +
                       std::to_string(FirstDateTime().year) + " to " + std::to_string(LastDateTime().year) +
                       "); nothing is written when one is refused.",
                   kWidth) +
           "\n\n" + Wrapped(exits + ".", kWidth);
}

}  // namespace

int Run(const std::vector<std::string>& args, const Clock& clock, Console& console, const Volumes& volumes) {
    std::optional<Failure> failure;
    try {
        const CommandLine read = ReadCommandLine(args, Footer(), std::string(kProgram) + " " + HALVO_VERSION);
        switch (read.asks) {
            case CommandLine::Asks::Help:
                console.out << read.text << (read.text.ends_with('\n') ? "" : "\n");
                return kExitOk;
            case CommandLine::Asks::Version:
                console.out << read.text << '\n';
                return kExitOk;
            case CommandLine::Asks::Wrong:
                failure = Usage(read.text);
                break;
            case CommandLine::Asks::Options:
                if (const std::optional<std::string> conflict = Conflict(read.given)) {
                    failure = Usage(*conflict);
                } else {
                    failure = read.given.Has(O::Show) ? Show(read.given.Value(O::Show), console)
                                                      : Write(read.given, clock, console, volumes);
                }
                break;
        }
    } catch (const std::exception& e) {
        // A path the system cannot represent, memory: still one clear line.
        failure = Failure{kExitFile, e.what()};
    }
    if (!failure) return kExitOk;
    console.err << kProgram << ": " << failure->message << '\n';
    return failure->status;
}

}  // namespace halvo::cli
