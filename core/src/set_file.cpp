#include "halvo/set_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif


#ifdef _WIN32
// The C run-time's rename refuses to overwrite, so the one-step replace is
// the kernel's own; declared here because the core stays free of <windows.h>.
extern "C" __declspec(dllimport) int __stdcall MoveFileExW(const wchar_t* from, const wchar_t* to,
                                                           unsigned long flags);
#endif

namespace halvo {
namespace {

// Fields written from a value the checks did not pass are still written
// without arithmetic surprises: each digit is taken modulo 10 in 64 bits.
std::uint8_t DigitOf(std::int64_t value) {
    const std::int64_t d = ((value % 10) + 10) % 10;
    return static_cast<std::uint8_t>('0' + d);
}

class RecordBuilder {
public:
    explicit RecordBuilder(SetRecord& record) : record_(record) {}

    void Label(std::span<const std::uint8_t> label) {
        for (std::uint8_t b : label) Put(b);
    }
    void Digits(std::int64_t value, std::size_t count) {
        std::int64_t scale = 1;
        for (std::size_t i = 1; i < count; ++i) scale *= 10;
        for (; scale > 0; scale /= 10) Put(DigitOf(value / scale));
    }
    void Put(std::uint8_t b) { record_[at_++] = b; }

private:
    SetRecord& record_;
    std::size_t at_ = 0;
};

}  // namespace

SetRecord EncodeSetRecord(const DeviceSettings& s) {
    SetRecord record{};
    RecordBuilder b(record);
    for (const SetFileLine& line : kSetFileLines) {
        if (&line != &kSetFileLines.front()) b.Put('\n');
        b.Label(line.label);
        b.Digits(s.*line.field, line.digits);
    }
    for (std::size_t i = 0; i < kTrailingSpaces; ++i) b.Put(' ');
    return record;
}

SetFileBytes ToDiskBytes(const SetRecord& record) {
    SetFileBytes out{};
    std::size_t at = 0;
    for (std::uint8_t b : record) {
        if (b == '\n') out[at++] = '\r';
        out[at++] = b;
    }
    return out;
}

namespace {

// The writer uses the unbuffered C run-time calls so that every write, flush
// and close can be checked (a buffered stream may report a failed final flush
// as a successful close), and stays clear of std::filesystem, which would
// pull the whole locale machinery into the statically linked Windows program.
#ifdef _WIN32
using PathChar = wchar_t;
int OpenExclusive(const NativePath& p) {
    return _wopen(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
std::FILE* OpenExisting(const NativePath& p) { return _wfopen(p.c_str(), L"r+b"); }
long WriteSome(int fd, const std::uint8_t* data, std::size_t size) {
    return _write(fd, data, static_cast<unsigned>(size));
}
int SyncFile(int fd) { return _commit(fd); }
int CloseFile(int fd) { return _close(fd); }
int RemoveFile(const NativePath& p) { return _wremove(p.c_str()); }
int ProcessId() { return _getpid(); }
constexpr unsigned long kMoveReplaceExisting = 0x1;
constexpr unsigned long kMoveWriteThrough = 0x8;
bool ReplaceWith(const NativePath& from, const NativePath& to) {
    return MoveFileExW(from.c_str(), to.c_str(), kMoveReplaceExisting | kMoveWriteThrough) != 0;
}
#else
using PathChar = char;
int OpenExclusive(const NativePath& p) { return ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644); }
std::FILE* OpenExisting(const NativePath& p) { return std::fopen(p.c_str(), "r+b"); }
long WriteSome(int fd, const std::uint8_t* data, std::size_t size) { return ::write(fd, data, size); }
int SyncFile(int fd) { return ::fsync(fd); }
int CloseFile(int fd) { return ::close(fd); }
int RemoveFile(const NativePath& p) { return std::remove(p.c_str()); }
int ProcessId() { return static_cast<int>(::getpid()); }
bool ReplaceWith(const NativePath& from, const NativePath& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

NativePath Widen(const std::string& ascii) { return NativePath(ascii.begin(), ascii.end()); }

NativePath Join(const NativePath& directory, const std::string& name) {
    if (directory.empty()) return Widen(name);
    const PathChar last = directory.back();
    const bool separated = last == PathChar('/') || last == PathChar('\\');
    return directory + (separated ? NativePath() : NativePath(1, PathChar('/'))) + Widen(name);
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const long n = WriteSome(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// An existing set.txt that cannot be opened for writing (a directory of that
// name, a read-only file) is refused before anything is created.
bool ExistingTargetWritable(const NativePath& target) {
    std::FILE* f = OpenExisting(target);
    if (f == nullptr) return errno == ENOENT;
    std::fclose(f);
    return true;
}

// Creates a fresh temporary file beside the target; the name carries the
// process id and a counter so that concurrent writers never share one.
int CreateTemporary(const NativePath& directory, NativePath& created) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = std::string(".") + kSetFileName + "." + std::to_string(ProcessId()) + "." +
                                 std::to_string(counter++) + ".tmp";
        created = Join(directory, name);
        const int fd = OpenExclusive(created);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -1;
    }
    return -1;
}

}  // namespace

std::optional<SettingsFault> WriteSetFile(const DeviceSettings& settings) {
    return WriteSetFile(settings, NativePath());
}

std::optional<SettingsFault> WriteSetFile(const DeviceSettings& settings, const NativePath& directory) {
    const NativePath target = Join(directory, kSetFileName);
    if (!ExistingTargetWritable(target)) return SettingsFault::FileOpen;

    NativePath temporary;
    const int fd = CreateTemporary(directory, temporary);
    if (fd < 0) return SettingsFault::FileOpen;

    const SetFileBytes bytes = ToDiskBytes(EncodeSetRecord(settings));
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    ok = ok && SyncFile(fd) == 0;
    ok = (CloseFile(fd) == 0) && ok;
    ok = ok && ReplaceWith(temporary, target);
    if (!ok) {
        RemoveFile(temporary);
        return SettingsFault::FileWrite;
    }
    return std::nullopt;
}

}  // namespace halvo
