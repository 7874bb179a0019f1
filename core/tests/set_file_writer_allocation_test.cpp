// The current-directory writer allocates nothing: the dialog calls it from a
// message handler, in code built without exceptions. Every operator new of
// this test program is counted while a write runs.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "halvo/set_file_writer.h"
#include "writer_test_support.h"

#if defined(__GNUC__) && !defined(__clang__)
// Once the replacements below are inlined, GCC sees the malloc of one meet the
// free of the other and takes that for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (g_counting) ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace halvo {
namespace {

namespace fs = std::filesystem;

using test::Expected;
using test::kSettings;
using test::ReadFile;
using test::WriteRaw;
using test::WriterTest;

class AllocationTest : public WriterTest {
protected:
    // Writes set.txt into the card as the dialog does, from the current directory.
    long AllocationsOfAWrite() {
        const fs::path before = fs::current_path();
        fs::current_path(card_);
        g_allocations = 0;
        g_counting = true;
        const auto fault = WriteSetFile(kSettings);
        g_counting = false;
        fs::current_path(before);
        EXPECT_EQ(fault, std::nullopt);
        EXPECT_EQ(ReadFile(card_ / "set.txt"), Expected());
        return g_allocations;
    }
};

TEST_F(AllocationTest, CountsAnAllocation) {
    g_allocations = 0;
    g_counting = true;
    auto* p = new std::string(100, 'x');
    g_counting = false;
    delete p;
    EXPECT_GE(g_allocations, 1);
}

TEST_F(AllocationTest, NewFileAllocatesNothing) { EXPECT_EQ(AllocationsOfAWrite(), 0); }

TEST_F(AllocationTest, ReplacingAFileAllocatesNothing) {
    WriteRaw(card_ / "set.txt", "previous");
    EXPECT_EQ(AllocationsOfAWrite(), 0);
}

TEST_F(AllocationTest, RemovingStaleTemporaryFilesAllocatesNothing) {
    using namespace std::chrono_literals;
    for (const char* name : {".set.txt.1.0.tmp", ".set.txt.2.5.tmp", "other.txt"}) {
        WriteRaw(card_ / name, "left over");
        fs::last_write_time(card_ / name, fs::file_time_type::clock::now() - 24h);
    }
    EXPECT_EQ(AllocationsOfAWrite(), 0);
    EXPECT_FALSE(fs::exists(card_ / ".set.txt.1.0.tmp"));
    EXPECT_TRUE(fs::exists(card_ / "other.txt"));
}

}  // namespace
}  // namespace halvo
