#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "halvo/settings_types.h"

namespace halvo {

/// The kind of the first thing wrong with a set.txt image.
enum class SetFileProblemKind : std::uint8_t {
    ByteOrderMark,    ///< the file starts with a UTF-8 or UTF-16 byte-order mark
    SavedAsUtf8,      ///< a text editor saved the file as UTF-8 without a mark: its labels are no longer Big5
    SavedAsShiftJis,  ///< a text editor saved the file as Shift_JIS: its labels are no longer Big5
    Label,          ///< a label's bytes differ from the Big5 label the device matches
    Digit,          ///< a byte where a digit belongs is something else
    LineEnd,        ///< a line does not end in CR LF (LF only, a doubled CR, a missing line end)
    Padding,        ///< the seven spaces after the last digit are something else
    Length,         ///< the file ends before the last setting, or goes on after it
    Value,          ///< the digits read a value the device does not take
};

/// How many kinds of problem there are.
inline constexpr std::size_t kSetFileProblemKinds = static_cast<std::size_t>(SetFileProblemKind::Value) + 1;

/// Each problem kind's name, by its number: how the page keys its messages.
inline constexpr std::array<const char*, kSetFileProblemKinds> kSetFileProblemNames{
    "ByteOrderMark", "SavedAsUtf8", "SavedAsShiftJis", "Label", "Digit", "LineEnd", "Padding", "Length", "Value"};

/// The first problem found, located so that a person can find it in a hex view.
struct SetFileProblem {
    SetFileProblemKind kind = SetFileProblemKind::Length;  ///< what is wrong
    std::size_t offset = 0;                                ///< zero-based byte offset in the file
    std::size_t line = 1;                                  ///< one-based line number
    std::string message;                                   ///< plain words, without offset or line
    std::optional<SettingsListId> setting;                 ///< the setting whose label or value is wrong, if any

    friend bool operator==(const SetFileProblem&, const SetFileProblem&) = default;
};

/// What ParseSetFile gives back: exactly one of the two members is set.
struct SetFileReading {
    std::optional<DeviceSettings> settings;  ///< the values, when the file is valid
    std::optional<SetFileProblem> problem;   ///< the first problem, otherwise
};

/// Reads set.txt's bytes as they stand on disk, accepting exactly what the writer makes from accepted settings.
SetFileReading ParseSetFile(std::span<const std::uint8_t> bytes);

}  // namespace halvo
