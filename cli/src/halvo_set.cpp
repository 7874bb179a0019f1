#include "halvo_set.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <memory>
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

constexpr char kProgram[] = "halvo-set";

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

// The ways halvo-set is run, in place of CLI11's one usage line.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App*, std::string) const override {
        return std::string("Usage:\n") +
               "  halvo-set [OPTIONS]          write set.txt\n"
               "  halvo-set --show [PATH]      read a set.txt, check it, print its settings\n"
               "  halvo-set --help | --version\n";
    }
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
    CLI::App app("Writes set.txt, the settings file of the video recorder, or checks an existing one.", kProgram);
    app.formatter(std::make_shared<HelpFormatter>());
    app.set_help_flag("-h,--help", "Show this help and exit");
    app.set_version_flag("--version", std::string(kProgram) + " " + HALVO_VERSION, "Show the version and exit");
    app.footer(Footer());
    AddOptions(app);
    // Unknown words are reported by TakeCommandLine, in the order typed.
    app.allow_extras();

    std::optional<Failure> failure;
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
        Given given;
        if (const std::optional<std::string> wrong = TakeCommandLine(app, args, given)) {
            failure = Usage(*wrong);
        } else if (const std::optional<std::string> conflict = Conflict(given)) {
            failure = Usage(*conflict);
        } else {
            failure = given.Has(O::Show) ? Show(given.Value(O::Show), console) : Write(given, clock, console, volumes);
        }
    } catch (const CLI::CallForHelp&) {
        const std::string help = app.help();
        console.out << help << (help.ends_with('\n') ? "" : "\n");
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        console.out << e.what() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError&) {
        // Every mistake halvo-set knows of is worded above; this is the parser's own.
        failure = Usage(std::string("the command line cannot be read") + kHelpHint);
    } catch (const std::exception& e) {
        // A path the system cannot represent, memory: still one clear line.
        failure = Failure{kExitFile, e.what()};
    }
    if (!failure) return kExitOk;
    console.err << kProgram << ": " << failure->message << '\n';
    return failure->status;
}

}  // namespace halvo::cli
