#pragma once

// A path in a fixed buffer, in the system's own characters. Internal to the
// core: the writer and its file-system layer build and pass paths in it.

#include <cstddef>

namespace halvo::internal {

#ifdef _WIN32
using PathChar = wchar_t;
inline constexpr PathChar kSeparator = L'\\';
#else
using PathChar = char;
inline constexpr PathChar kSeparator = '/';
#endif

// The dialog writes from its message handler, where nothing may allocate or
// throw: paths live in fixed buffers, long enough for any path the system
// itself accepts, and a longer one is refused like an unopenable file.
inline constexpr std::size_t kPathRoom = 4096;

inline bool IsSeparator(PathChar c) { return c == PathChar('/') || c == PathChar('\\'); }

// The length of a NUL-terminated path or name, in its characters.
inline std::size_t TextLength(const PathChar* text) {
    std::size_t length = 0;
    while (text[length] != PathChar(0)) ++length;
    return length;
}

class PathBuffer {
public:
    // False when the text does not fit or holds a NUL, which no file name can.
    bool Append(const PathChar* text, std::size_t length) {
        if (length >= kPathRoom - length_) return false;
        for (std::size_t i = 0; i < length; ++i) {
            if (text[i] == PathChar(0)) return false;
            text_[length_++] = text[i];
        }
        text_[length_] = PathChar(0);
        return true;
    }
    bool AppendAscii(const char* ascii) {
        for (; *ascii != '\0'; ++ascii) {
            const PathChar c = PathChar(*ascii);
            if (!Append(&c, 1)) return false;
        }
        return true;
    }
    bool AppendNumber(unsigned long value) {
        char digits[24];
        std::size_t n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        char reversed[24];
        for (std::size_t i = 0; i < n; ++i) reversed[i] = digits[n - 1 - i];
        reversed[n] = '\0';
        return AppendAscii(reversed);
    }
    // Makes a non-empty path end in a separator, so that a name can follow.
    bool EndWithSeparator() {
        if (length_ == 0 || IsSeparator(text_[length_ - 1])) return true;
        return Append(&kSeparator, 1);
    }
    void Truncate(std::size_t length) {
        length_ = length;
        text_[length_] = PathChar(0);
    }
    // The length of the folder part, up to and including the last separator.
    std::size_t FolderLength() const {
        std::size_t n = length_;
        while (n > 0 && !IsSeparator(text_[n - 1])) --n;
        return n;
    }
    const PathChar* Get() const { return text_; }
    std::size_t Length() const { return length_; }
    PathChar* Room() { return text_; }
    // Takes over text written into Room() by a system call.
    bool Adopt(std::size_t length) {
        if (length >= kPathRoom) return false;
        Truncate(length);
        return true;
    }

private:
    PathChar text_[kPathRoom] = {PathChar(0)};
    std::size_t length_ = 0;
};

}  // namespace halvo::internal
