// The POSIX writer against a write() interrupted by a signal before it wrote anything (EINTR): the
// write is tried again and set.txt comes out whole. This program's own write() stands in front of the C
// library's, so the writer's real file-system steps are what runs.

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "writer_test_support.h"

namespace {

// How many writes of set.txt's size are still to fail with EINTR, and how many did.
std::atomic<int> interrupt_next{0};
std::atomic<int> interrupted{0};

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    if (size == halvo::kSetFileSize && interrupt_next.load() > 0) {
        interrupt_next.fetch_sub(1);
        interrupted.fetch_add(1);
        errno = EINTR;
        return -1;
    }
    return static_cast<ssize_t>(syscall(SYS_write, fd, data, size));
}

namespace halvo::test {
namespace {

class InterruptedWriteTest : public WriterTest {};

TEST_F(InterruptedWriteTest, WriteInterruptedOnceIsTriedAgainAndTheFileIsWhole) {
    WriteRaw(card_ / "set.txt", kOld);
    interrupt_next = 1;
    interrupted = 0;
    const std::optional<WriteFailure> fault = WriteSetFile(kSettings, card_.native());
    interrupt_next = 0;
    ASSERT_EQ(interrupted.load(), 1) << "the writer's write() was not the one interrupted";
    EXPECT_FALSE(fault.has_value());
    EXPECT_EQ(ReadFile(card_ / "set.txt"), Expected());
    EXPECT_EQ(Entries(card_), std::vector<std::string>{"set.txt"});
}

}  // namespace
}  // namespace halvo::test
