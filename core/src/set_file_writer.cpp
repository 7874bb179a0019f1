// The writer's policy: a temporary file beside set.txt, flushed and moved over
// it in one step; writing the existing file in place where another program or
// the folder forbids that, or a full card has no room for a second file;
// clean-up that tries again; stale temporary files of crashed writes removed. Every file-system step goes through FileSystem
// (file_system.h), which each system implements in a file of its own.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "file_system.h"
#include "halvo/set_file.h"
#include "halvo/set_file_writer.h"

namespace halvo {
namespace internal {
namespace {

// The temporary file is ".set.txt.<process id>.<counter>.tmp" beside set.txt:
// hidden on POSIX by its leading dot (and on Windows by its attribute), and
// unique among concurrent writers by the process id and a per-process counter.
constexpr char kTemporaryStart[] = ".";
constexpr char kTemporaryField[] = ".";
constexpr char kTemporaryEnd[] = ".tmp";

// A temporary file is another write's work in progress for as long as that
// write lasts: a second or so on a slow card. Only one older than this is a
// crash's leftover (see RemoveStaleTemporaries).
constexpr long long kStaleAfterSeconds = 10 * 60;

bool RemoveOnce(FileSystem& fs, const PathChar* path) {
    const SystemError error = fs.Remove(path);
    return error == kNoError || Classify(error) == Failure::NotFound;
}

// A scanner or indexer may hold a fresh file for a moment; the clean-up tries
// again before it gives up rather than leave a stray file on the card.
void RemoveTemporary(FileSystem& fs, const PathBuffer& temporary) {
    constexpr unsigned long kWaits[] = {10, 50, 100, 200};
    if (RemoveOnce(fs, temporary.Get())) return;
    for (unsigned long wait : kWaits) {
        fs.Pause(wait);
        if (RemoveOnce(fs, temporary.Get())) return;
    }
}

// --- the temporary file's name -------------------------------------------------

bool AppendTemporaryName(PathBuffer& path, unsigned long processId, unsigned long counter) {
    return path.AppendAscii(kTemporaryStart) && path.AppendAscii(kSetFileName) &&
           path.AppendAscii(kTemporaryField) && path.AppendNumber(processId) &&
           path.AppendAscii(kTemporaryField) && path.AppendNumber(counter) && path.AppendAscii(kTemporaryEnd);
}

// The rest of name past `ascii`, or null where name does not start with it.
const PathChar* Past(const PathChar* name, const char* ascii) {
    for (; *ascii != '\0'; ++ascii, ++name) {
        if (*name != PathChar(*ascii)) return nullptr;
    }
    return name;
}

// The rest of name past a number as AppendNumber writes one (decimal digits of
// an unsigned long, no leading zero), or null.
const PathChar* PastNumber(const PathChar* name) {
    constexpr std::ptrdiff_t kMostDigits = 20;  // 18446744073709551615
    const PathChar* end = name;
    while (*end >= PathChar('0') && *end <= PathChar('9')) ++end;
    const std::ptrdiff_t digits = end - name;
    if (digits == 0 || digits > kMostDigits || (digits > 1 && *name == PathChar('0'))) return nullptr;
    return end;
}

// True for exactly the names AppendTemporaryName makes, whoever's they are.
bool IsTemporaryName(const PathChar* name) {
    const PathChar* rest = Past(name, kTemporaryStart);
    if (rest != nullptr) rest = Past(rest, kSetFileName);
    if (rest != nullptr) rest = Past(rest, kTemporaryField);
    if (rest != nullptr) rest = PastNumber(rest);
    if (rest != nullptr) rest = Past(rest, kTemporaryField);
    if (rest != nullptr) rest = PastNumber(rest);
    if (rest != nullptr) rest = Past(rest, kTemporaryEnd);
    return rest != nullptr && *rest == PathChar(0);
}

// The folder set.txt is in, as a path to open: its folder part, or "." for a
// bare name. False where it does not fit.
bool FolderOf(const PathBuffer& target, PathBuffer& folder) {
    const std::size_t length = target.FolderLength();
    return length == 0 ? folder.AppendAscii(".") : folder.Append(target.Get(), length);
}

// --- leftovers of crashed writes ------------------------------------------------

// A write that ends between creating its temporary file and moving it over
// set.txt (a crash, a pulled card, a killed process) leaves that file behind;
// every later write removes such leftovers beside set.txt, so that they do not
// pile up on the card. Conservative, because another process may be writing
// right now: only plain files named exactly as this writer names them, and only
// ones last written kStaleAfterSeconds ago or longer. Age rather than the
// process id in the name decides, because a process id says nothing about
// processes on another computer that shares the folder or had the card, and a
// live id may be a later, unrelated process; age holds on every computer whose
// clock is within that margin of this one. A file whose time is ahead of this
// clock is kept. Failures are left for a later write.
class StaleTemporaryRemover final : public FolderVisitor {
public:
    StaleTemporaryRemover(FileSystem& fs, const PathBuffer& target) : fs_(fs), target_(target) {}

    void Visit(const FolderEntry& entry) override {
        if (!entry.plainFile || entry.secondsSinceWrite < kStaleAfterSeconds || !IsTemporaryName(entry.name)) {
            return;
        }
        PathBuffer path;
        if (path.Append(target_.Get(), target_.FolderLength()) && path.Append(entry.name, TextLength(entry.name))) {
            RemoveOnce(fs_, path.Get());
        }
    }

private:
    FileSystem& fs_;
    const PathBuffer& target_;
};

void RemoveStaleTemporaries(FileSystem& fs, const PathBuffer& target) {
    PathBuffer folder;
    if (!FolderOf(target, folder)) return;
    StaleTemporaryRemover remover(fs, target);
    fs.ListFolder(folder.Get(), remover);
}

// --- writing --------------------------------------------------------------------

// What a system code tells the writer's callers.
WriteCause CauseOf(SystemError error) {
    switch (Classify(error)) {
        case Failure::Full:
            return WriteCause::Full;
        case Failure::ReadOnly:
            return WriteCause::ReadOnly;
        case Failure::Refused:
            return WriteCause::Refused;
        // Creating or replacing in a folder that is gone.
        case Failure::NotFound:
        case Failure::NoFolder:
            return WriteCause::NoFolder;
        case Failure::NotAFile:
            return WriteCause::NotAFile;
        default:
            return WriteCause::Other;
    }
}

WriteFailure Failed(WriteStage stage, SystemError error, bool previousKept = true) {
    return WriteFailure{stage, CauseOf(error), error, previousKept};
}

// A run of steps, of which the first to fail explains the write's failure;
// the steps after it still run where they must (closing the file).
class Steps {
public:
    // Takes a step's result; true while no step has failed.
    bool Take(SystemError error) {
        if (!failed_ && error != kNoError) {
            failed_ = true;
            error_ = error;
        }
        return !failed_;
    }
    // A failure the system gave no code for.
    void Fail() { failed_ = true; }
    bool Ok() const { return !failed_; }
    SystemError Error() const { return error_; }

private:
    bool failed_ = false;
    SystemError error_ = kNoError;
};

// All the bytes, however few the system takes at a time; gives back how many it wrote.
std::size_t WriteAll(FileSystem& fs, FileHandle f, const SetFileBytes& bytes, Steps& steps) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        std::size_t written = 0;
        if (!steps.Take(fs.Write(f, bytes.data() + done, left, written))) return done;
        if (written == 0 || written > left) {
            steps.Fail();
            return done;
        }
        done += written;
    }
    return done;
}

// How creating the temporary file went; Blocked is a refusal for access or
// sharing reasons (or a full folder), where writing into the existing file may
// still work.
enum class Created { Done, Blocked, Failed };

// Creates a fresh temporary file beside the target, skipping names that are
// taken; the name carries the process id and a counter so that concurrent
// writers never share one. `error` receives the code of a failure.
FileHandle CreateTemporary(FileSystem& fs, const PathBuffer& target, PathBuffer& temporary, Created& created,
                           SystemError& error) {
    static std::atomic<unsigned long> counter{0};
    created = Created::Failed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary.Truncate(0);
        if (!temporary.Append(target.Get(), target.FolderLength()) ||
            !AppendTemporaryName(temporary, fs.ProcessId(), counter++)) {
            error = kPathTooLong;
            return kNoFile;
        }
        FileHandle f = kNoFile;
        error = fs.CreateNew(temporary.Get(), f);
        switch (Classify(error)) {
            case Failure::None:
                created = Created::Done;
                return f;
            case Failure::Exists:
                continue;
            case Failure::Refused:
            case Failure::Full:
                created = Created::Blocked;
                return kNoFile;
            default:
                return kNoFile;
        }
    }
    return kNoFile;
}

// The fallback where no replace is possible: the existing file, opened with
// the sharing other programs expect, is overwritten and cut to length. Only a
// failure after it opened (a failing card) can leave it part-written.
std::optional<WriteFailure> WriteInPlace(FileSystem& fs, const PathBuffer& target, const SetFileBytes& bytes) {
    FileHandle f = kNoFile;
    if (const SystemError error = fs.OpenExisting(target.Get(), f); error != kNoError) {
        return Failed(WriteStage::Open, error);
    }
    Steps steps;
    const std::size_t written = WriteAll(fs, f, bytes, steps);
    // A full card that refused the very first byte (an empty set.txt has no
    // room of its own) left the file as it was; a failing card may not have.
    const bool untouched = written == 0 && Classify(steps.Error()) == Failure::Full;
    if (steps.Ok()) steps.Take(fs.EndHere(f));
    if (steps.Ok()) steps.Take(fs.Flush(f));
    steps.Take(fs.Close(f));
    if (!steps.Ok()) return Failed(WriteStage::Write, steps.Error(), untouched);
    return std::nullopt;
}

std::optional<WriteFailure> WriteInto(FileSystem& fs, const DeviceSettings& settings, const PathChar* directory,
                                      std::size_t length) {
    PathBuffer target;
    if (!target.Append(directory, length) || !target.EndWithSeparator() || !target.AppendAscii(kSetFileName)) {
        return Failed(WriteStage::Open, kPathTooLong);
    }
    unsigned long attributes = 0;
    SystemError refusal = kNoError;
    const Target found = fs.Resolve(target, attributes, refusal);
    if (found == Target::NotAFile) return WriteFailure{WriteStage::Open, WriteCause::NotAFile, refusal};
    if (found == Target::Refused) return Failed(WriteStage::Open, refusal);
    RemoveStaleTemporaries(fs, target);

    const SetFileBytes bytes = ToDiskBytes(EncodeSetRecord(settings));
    PathBuffer temporary;
    Created created = Created::Failed;
    SystemError createError = kNoError;
    const FileHandle f = CreateTemporary(fs, target, temporary, created, createError);
    if (created != Created::Done) {
        if (created == Created::Blocked && found == Target::Present) return WriteInPlace(fs, target, bytes);
        return Failed(WriteStage::Open, createError);
    }

    Steps steps;
    WriteAll(fs, f, bytes, steps);
    if (steps.Ok()) steps.Take(fs.Flush(f));
    steps.Take(fs.Close(f));
    // The temporary file takes the attributes set.txt should end with just
    // before it takes set.txt's place.
    if (steps.Ok()) steps.Take(fs.SetAttributes(temporary.Get(), attributes));
    if (!steps.Ok()) {
        RemoveTemporary(fs, temporary);
        // A card kept full on purpose (a dash camera's loop recording) still
        // makes an empty file, then has no room for its bytes; set.txt's own
        // room takes them.
        if (Classify(steps.Error()) == Failure::Full && found == Target::Present) {
            return WriteInPlace(fs, target, bytes);
        }
        return Failed(WriteStage::Write, steps.Error());
    }
    const SystemError replaced = fs.Replace(temporary.Get(), target.Get());
    if (replaced == kNoError) {
        PathBuffer folder;
        if (!FolderOf(target, folder)) return Failed(WriteStage::Write, kPathTooLong, false);
        if (const SystemError error = fs.FlushFolder(folder.Get()); error != kNoError) {
            return Failed(WriteStage::Write, error, false);
        }
        return std::nullopt;
    }
    RemoveTemporary(fs, temporary);
    if (Classify(replaced) == Failure::Refused && found == Target::Present) return WriteInPlace(fs, target, bytes);
    return Failed(WriteStage::Write, replaced);
}

}  // namespace

std::optional<WriteFailure> WriteSetFile(FileSystem& fs, const DeviceSettings& settings) {
    return WriteInto(fs, settings, nullptr, 0);
}

std::optional<WriteFailure> WriteSetFile(FileSystem& fs, const DeviceSettings& settings,
                                         const NativePath& directory) {
    return WriteInto(fs, settings, directory.data(), directory.size());
}

}  // namespace internal

std::optional<WriteFailure> WriteSetFile(const DeviceSettings& settings) {
    return internal::WriteSetFile(internal::SystemFileSystem(), settings);
}

std::optional<WriteFailure> WriteSetFile(const DeviceSettings& settings, const NativePath& directory) {
    return internal::WriteSetFile(internal::SystemFileSystem(), settings, directory);
}

}  // namespace halvo
