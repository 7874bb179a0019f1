#pragma once

// What the writer is given a folder as, and what it says of a failed write.

#include <cstddef>
#include <cstdint>
#include <string>

namespace halvo {

/// A path in the system's own form: UTF-16 on Windows, bytes elsewhere (std::filesystem::path converts to it).
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

/// The stage at which a write of set.txt failed.
enum class WriteStage : std::uint8_t {
    Open,   ///< set.txt (or its temporary neighbour) could not be opened for writing: nothing was written
    Write,  ///< writing, flushing, closing or replacing set.txt failed; the old file is kept but for two rare cases (README)
};

/// Why a write of set.txt failed, as the system reported it.
enum class WriteCause : std::uint8_t {
    Full,      ///< no room on the card, or over a quota
    ReadOnly,  ///< the card or its file system is write-protected (a lock switch, a read-only mount)
    Refused,   ///< access rights, another program's sharing, or a read-only set.txt
    NoFolder,  ///< the folder is missing or is not a folder
    NotAFile,  ///< set.txt is a folder or anything else that is not a file, or a link to nothing
    Other,     ///< anything else; the system's code says what
};

/// How many causes there are.
inline constexpr std::size_t kWriteCauses = static_cast<std::size_t>(WriteCause::Other) + 1;

/// A failed write: its stage, its cause, and the system's own code (0 where none applies).
struct WriteFailure {
    WriteStage stage = WriteStage::Open;
    WriteCause cause = WriteCause::Other;
    unsigned long error = 0;  ///< errno, or GetLastError() on Windows
    bool previousKept = true;  ///< false where set.txt may have changed: writing it in place failed, or the replace was made

    friend constexpr bool operator==(const WriteFailure&, const WriteFailure&) = default;
    /// Compares the stage alone, for callers that only tell opening from writing.
    friend constexpr bool operator==(const WriteFailure& failure, WriteStage expected) { return failure.stage == expected; }
};

}  // namespace halvo
