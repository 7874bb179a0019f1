#pragma once

// What the writer is given a folder as, and what it says of a failed write.

#include <string>

#include "halvo/settings_types.h"

namespace halvo {

/// A path in the system's own form: UTF-16 on Windows, bytes elsewhere (std::filesystem::path converts to it).
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

/// Why a write of set.txt failed, as the system reported it.
enum class WriteCause {
    Full,      ///< no room on the card, or over a quota
    ReadOnly,  ///< the card or its file system is write-protected (a lock switch, a read-only mount)
    Refused,   ///< access rights, another program's sharing, or a read-only set.txt
    NoFolder,  ///< the folder is missing or is not a folder
    NotAFile,  ///< set.txt is a folder or anything else that is not a file, or a link to nothing
    Other,     ///< anything else; the system's code says what
};

/// A failed write: the fault the dialog reports, its cause, and the system's own code (0 where none applies).
struct WriteFailure {
    SettingsFault fault = SettingsFault::FileOpen;  ///< FileOpen: nothing was written; FileWrite: writing failed
    WriteCause cause = WriteCause::Other;
    unsigned long error = 0;  ///< errno, or GetLastError() on Windows
    bool previousKept = true;  ///< false where set.txt may have changed: writing it in place failed, or the replace was made

    friend constexpr bool operator==(const WriteFailure&, const WriteFailure&) = default;
    /// Compares the fault alone, for callers that only tell FileOpen from FileWrite.
    friend constexpr bool operator==(const WriteFailure& failure, SettingsFault kind) {
        return failure.fault == kind;
    }
};

}  // namespace halvo
