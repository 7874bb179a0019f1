#include "halvo/platform/console.h"

#include <windows.h>

namespace halvo::platform {

unsigned long ConsoleProcessCount() {
    // Room for two is enough: the answer only has to tell "this process alone" from "shared".
    DWORD ids[2] = {};
    return GetConsoleProcessList(ids, 2);
}

bool UserInterfaceIsJapanese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

void WriteToConsole(const wchar_t* text) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD length = 0;
    while (text[length] != L'\0') ++length;
    DWORD written = 0;
    WriteConsoleW(output, text, length, &written, nullptr);
}

void WaitForKeyPress() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == INVALID_HANDLE_VALUE || input == nullptr || !GetConsoleMode(input, &mode)) return;
    // A key pressed before the message appeared must not close the window unread.
    FlushConsoleInputBuffer(input);
    for (;;) {
        INPUT_RECORD record{};
        DWORD read = 0;
        if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) return;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
    }
}

}  // namespace halvo::platform
