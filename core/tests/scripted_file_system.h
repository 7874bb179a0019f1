#pragma once

// A FileSystem for tests: takes each step through the real one, and on request
// makes a step fail with a given system error, writes short, answers Resolve
// itself, or calls a hook before each step (where the crash tests end the
// process). It logs every step it is asked to take.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "file_system.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#endif

namespace halvo::test {

using internal::FileHandle;
using internal::FileSystem;
using internal::PathChar;
using internal::SystemError;

// This system's codes for the failures the tests have steps report.
#ifdef _WIN32
inline constexpr SystemError kIoError = ERROR_GEN_FAILURE;  // a failing card
inline constexpr SystemError kAccessDenied = ERROR_ACCESS_DENIED;
inline constexpr SystemError kExists = ERROR_FILE_EXISTS;
inline constexpr SystemError kBusy = ERROR_SHARING_VIOLATION;  // another program's sharing refuses
#else
inline constexpr SystemError kIoError = EIO;
inline constexpr SystemError kAccessDenied = EACCES;
inline constexpr SystemError kExists = EEXIST;
inline constexpr SystemError kBusy = EBUSY;
#endif

enum class Step {
    Resolve,
    CreateNew,
    OpenExisting,
    Write,
    EndHere,
    Flush,
    Close,
    SetAttributes,
    Replace,
    FlushFolder,
    Remove,
    ListFolder,
    Pause,
};

inline const char* StepName(Step step) {
    constexpr const char* kNames[] = {"Resolve", "CreateNew",     "OpenExisting", "Write",       "EndHere",
                                      "Flush",   "Close",         "SetAttributes", "Replace",    "FlushFolder",
                                      "Remove",  "ListFolder",    "Pause"};
    return kNames[static_cast<int>(step)];
}

class ScriptedFileSystem final : public FileSystem {
public:
    explicit ScriptedFileSystem(FileSystem& real = internal::SystemFileSystem()) : real_(real) {}
    ~ScriptedFileSystem() = default;

    /// Makes the n-th call of step (counting from 1; 0: every call) fail with
    /// error. A failing Close still closes, as a real one does; every other
    /// failing step does nothing.
    ScriptedFileSystem& Fail(Step step, SystemError error, int occurrence = 0) {
        faults_.push_back({step, error, occurrence});
        return *this;
    }

    /// The most bytes one Write takes.
    std::size_t writeLimit = std::numeric_limits<std::size_t>::max();
    /// Resolve's answer, without asking the system (the path stays as given).
    std::optional<internal::Target> resolveAs;
    /// Called before each step with its number, counting from 1.
    std::function<void(int, Step)> beforeStep;

    /// Every step asked for, in order.
    std::vector<Step> steps;
    /// The paths CreateNew was asked to create, and the waits asked for.
    std::vector<std::filesystem::path> created;
    std::vector<unsigned long> pauses;
    /// Files opened through this file system and not yet closed.
    int openFiles = 0;

    int Count(Step step) const {
        int n = 0;
        for (Step s : steps) n += s == step ? 1 : 0;
        return n;
    }

    internal::Target Resolve(internal::PathBuffer& path, unsigned long& attributes, SystemError& error) override {
        if (const auto failure = Enter(Step::Resolve)) {
            error = *failure;
            return internal::Target::Refused;
        }
        if (resolveAs) {
            attributes = 0;
            error = internal::kNoError;
            return *resolveAs;
        }
        return real_.Resolve(path, attributes, error);
    }
    SystemError CreateNew(const PathChar* path, FileHandle& file) override {
        created.emplace_back(path);
        if (const auto error = Enter(Step::CreateNew)) return *error;
        return Opened(real_.CreateNew(path, file));
    }
    SystemError OpenExisting(const PathChar* path, FileHandle& file) override {
        if (const auto error = Enter(Step::OpenExisting)) return *error;
        return Opened(real_.OpenExisting(path, file));
    }
    SystemError Write(FileHandle file, const std::uint8_t* data, std::size_t size, std::size_t& written) override {
        if (const auto error = Enter(Step::Write)) return *error;
        return real_.Write(file, data, size < writeLimit ? size : writeLimit, written);
    }
    SystemError EndHere(FileHandle file) override {
        if (const auto error = Enter(Step::EndHere)) return *error;
        return real_.EndHere(file);
    }
    SystemError Flush(FileHandle file) override {
        if (const auto error = Enter(Step::Flush)) return *error;
        return real_.Flush(file);
    }
    SystemError Close(FileHandle file) override {
        const auto error = Enter(Step::Close);
        --openFiles;
        const SystemError closed = real_.Close(file);
        return error ? *error : closed;
    }
    SystemError SetAttributes(const PathChar* path, unsigned long attributes) override {
        if (const auto error = Enter(Step::SetAttributes)) return *error;
        return real_.SetAttributes(path, attributes);
    }
    SystemError Replace(const PathChar* from, const PathChar* to) override {
        if (const auto error = Enter(Step::Replace)) return *error;
        return real_.Replace(from, to);
    }
    SystemError FlushFolder(const PathChar* folder) override {
        if (const auto error = Enter(Step::FlushFolder)) return *error;
        return real_.FlushFolder(folder);
    }
    SystemError Remove(const PathChar* path) override {
        if (const auto error = Enter(Step::Remove)) return *error;
        return real_.Remove(path);
    }
    SystemError ListFolder(const PathChar* folder, internal::FolderVisitor& visitor) override {
        if (const auto error = Enter(Step::ListFolder)) return *error;
        return real_.ListFolder(folder, visitor);
    }
    void Pause(unsigned long milliseconds) override {
        pauses.push_back(milliseconds);
        Enter(Step::Pause);
    }
    unsigned long ProcessId() override { return real_.ProcessId(); }

private:
    struct Fault {
        Step step;
        SystemError error;
        int occurrence;
    };

    // Logs the step, calls the hook, and says whether it is to fail.
    std::optional<SystemError> Enter(Step step) {
        steps.push_back(step);
        if (beforeStep) beforeStep(static_cast<int>(steps.size()), step);
        const int occurrence = Count(step);
        for (const Fault& f : faults_) {
            if (f.step == step && (f.occurrence == 0 || f.occurrence == occurrence)) return f.error;
        }
        return std::nullopt;
    }
    SystemError Opened(SystemError error) {
        if (error == internal::kNoError) ++openFiles;
        return error;
    }

    FileSystem& real_;
    std::vector<Fault> faults_;
};

}  // namespace halvo::test
