// The real halvo-set.exe started the way Explorer starts it on a double-click:
// no arguments and a console window of its own.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "cli_cases.h"
#include "double_click.h"
#include "subprocess.h"

namespace halvo::cli::test {
namespace {

// The first `rows` rows of the attached console's screen, trailing blanks cut.
std::vector<std::string> ScreenRows(HANDLE screen, SHORT rows) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen, &info)) return {};
    std::vector<std::string> result;
    for (SHORT row = 0; row < rows; ++row) {
        std::wstring cells(static_cast<std::size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(cells.size()), COORD{0, row}, &read);
        cells.resize(cells.find_last_not_of(L' ') == std::wstring::npos ? 0 : cells.find_last_not_of(L' ') + 1);
        result.emplace_back(cells.begin(), cells.end());  // the note is ASCII
    }
    return result;
}

TEST(HalvoSetProgram, OpenedByADoubleClickItExplainsWaitsForAKeyAndWritesNothing) {
    ScratchFolder dir("program-double-click");
    // The set.txt that Halvo.exe has just written beside it.
    WriteBytes(dir.path() / "set.txt", kPreviousFile);

    const std::wstring program = ProgramPath().wstring();
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                               dir.path().c_str(), &si, &pi));
    // Waiting for the key, not finished and gone.
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 3000), static_cast<DWORD>(WAIT_TIMEOUT));

    // Read its window and press a key there, from inside its console. Attaching replaces our standard handles,
    // which the programs the next tests start would inherit: they are put back.
    const HANDLE std_handles[] = {GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                                  GetStdHandle(STD_ERROR_HANDLE)};
    FreeConsole();
    std::vector<std::string> rows;
    if (AttachConsole(pi.dwProcessId)) {
        HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        HANDLE keys = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        rows = ScreenRows(screen, 3);
        INPUT_RECORD key{};
        key.EventType = KEY_EVENT;
        key.Event.KeyEvent.bKeyDown = TRUE;
        key.Event.KeyEvent.wRepeatCount = 1;
        key.Event.KeyEvent.wVirtualKeyCode = VK_SPACE;
        key.Event.KeyEvent.uChar.UnicodeChar = L' ';
        DWORD written = 0;
        WriteConsoleInputW(keys, &key, 1, &written);
        CloseHandle(screen);
        CloseHandle(keys);
        FreeConsole();
    }
    SetStdHandle(STD_INPUT_HANDLE, std_handles[0]);
    SetStdHandle(STD_OUTPUT_HANDLE, std_handles[1]);
    SetStdHandle(STD_ERROR_HANDLE, std_handles[2]);
    const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(pi.hProcess, 99);
    DWORD status = 0;
    GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    EXPECT_TRUE(ended) << "a key press did not end it";
    EXPECT_EQ(status, 0u);
    // The test's Wine speaks English.
    const std::string note = DoubleClickNote(false);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0] + "\n" + rows[1] + "\n", note);
    EXPECT_EQ(rows[2], "");
    EXPECT_EQ(ReadBytes(dir.path() / "set.txt"), std::vector<std::uint8_t>(kPreviousFile.begin(), kPreviousFile.end()));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"set.txt"});
}

}  // namespace
}  // namespace halvo::cli::test
