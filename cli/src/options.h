#pragma once

// halvo-set's options as one table: the command line, its conflicts and
// --help all come from it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "halvo/device_settings.h"

namespace halvo::cli {

/// The program's name, as its messages and --version give it.
inline constexpr char kProgram[] = "halvo-set";

/// Every option, in the order --help lists them.
enum class OptionId : std::uint8_t {
    Date, Time, Lead, Correction, Zone, Flip, Length, Timelapse, Audio, Usb, Timestamp, Output, Card, Countdown, Stdout,
    Show,
};

/// How many options there are.
inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(OptionId::Show) + 1;

/// What an option takes after its name.
enum class Takes : std::uint8_t {
    Nothing,        ///< a flag
    Value,          ///< one value, always
    OptionalValue,  ///< one value or none (a bare --show)
};

/// One option of halvo-set.
struct CliOption {
    OptionId id;                                  ///< which option
    const char* names = nullptr;                  ///< as CLI11 takes them ("-o,--output"); null for a list's option
    Takes takes = Takes::Value;                   ///< whether it takes a value
    const char* value = nullptr;                  ///< the value's form in --help; null for a list's words
    std::optional<SettingsListId> list = {};      ///< the list whose entry it picks, by halvo-set's word
    const char* help = "";                        ///< what it does; {first-date} and the like are filled in
    const char* byDefault = nullptr;              ///< what holds without it; null for a list's initial entry
    std::span<const OptionId> excludes = {};      ///< the options it does not go with, in the order named
    const char* why = nullptr;                    ///< why it does not go with them
    const char* needs = nullptr;                  ///< what its value is, for one left out; null for a list's words
};

/// The option of an id.
const CliOption& OptionOf(OptionId id);

/// The long name of an option, as messages name it ("--output").
std::string LongName(OptionId id);

/// Every option as typed: a value per option given, empty for a flag; nothing for one not given.
struct Given {
    std::array<std::optional<std::string>, kOptionCount> values;

    /// Whether the option was given.
    bool Has(OptionId id) const { return values[static_cast<std::size_t>(id)].has_value(); }
    /// The option's value; only for one given.
    const std::string& Value(OptionId id) const { return *values[static_cast<std::size_t>(id)]; }
};

/// Text wrapped at spaces to lines of at most `width`, joined by "\n"; `tail` ends it, never broken.
std::string Wrapped(const std::string& text, std::size_t width, const std::string& tail = "");

/// A command line, read: what it asks for, and with it every option given, the text to print, or what is wrong.
struct CommandLine {
    /// What a command line asks halvo-set to do.
    enum class Asks : std::uint8_t {
        Options,  ///< what the options given say (in `given`)
        Help,     ///< print --help (in `text`)
        Version,  ///< print --version's line (in `text`)
        Wrong,    ///< nothing: `text` says what is wrong, in halvo-set's words
    };
    Asks asks = Asks::Options;  ///< what it asks for
    Given given;                ///< every option given, for Options
    std::string text;           ///< the help, the version line, or what is wrong
};

/// Reads `args` (without the program name): a value left out or given twice, a value given to a flag, a word no
/// option takes and an option that is none are each wrong; `footer` ends --help, `version` is --version's line.
CommandLine ReadCommandLine(const std::vector<std::string>& args, const std::string& footer,
                            const std::string& version);

/// The first conflict among the options given, as "--card: finds …, so it does not go with --output".
std::optional<std::string> Conflict(const Given& given);

}  // namespace halvo::cli
