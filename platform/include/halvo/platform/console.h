#pragma once

// The console window of the command-line companion: whether it came with the
// program (a double-click in Explorer) or belongs to a command prompt.

namespace halvo::platform {

/// How many processes are attached to this process's console (GetConsoleProcessList); 0 without a console.
unsigned long ConsoleProcessCount();

/// Whether the user's interface language is Japanese (GetUserDefaultUILanguage).
bool UserInterfaceIsJapanese();

/// Writes UTF-16 text onto the console, whatever its code page; does nothing where standard output is no console.
void WriteToConsole(const wchar_t* text);

/// Waits for a key press on the console's input; returns at once where the input is not a console.
void WaitForKeyPress();

}  // namespace halvo::platform
