#include <iostream>
#include <string>
#include <vector>

#include "double_click.h"
#include "halvo_set.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "halvo/platform/console.h"
#include "halvo/utf16.h"
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    halvo::cli::Console console{std::cout, std::cerr, {}};
#ifdef _WIN32
    // Exit status 0, as for --help: the owner asked for nothing, and learning how to ask is no failure.
    const bool out_is_console = _isatty(_fileno(stdout)) != 0;
    if (halvo::cli::OpenedByDoubleClick(args.size(), halvo::platform::ConsoleProcessCount(), out_is_console)) {
        // Written as UTF-16, so that the Japanese shows whatever the console's code page.
        static constexpr auto kJapanese = halvo::ToUtf16<wchar_t, 160>(halvo::cli::DoubleClickNote(true));
        static constexpr auto kEnglish = halvo::ToUtf16<wchar_t, 160>(halvo::cli::DoubleClickNote(false));
        halvo::platform::WriteToConsole(halvo::platform::UserInterfaceIsJapanese() ? kJapanese.data() : kEnglish.data());
        halvo::platform::WaitForKeyPress();
        return halvo::cli::kExitOk;
    }
    console.err_is_terminal = _isatty(_fileno(stderr)) != 0;
    // Text mode would turn each CR LF of set.txt into CR CR LF.
    console.binary_out = [] {
        std::cout.flush();
        _setmode(_fileno(stdout), _O_BINARY);
    };
#else
    console.err_is_terminal = isatty(fileno(stderr)) != 0;
#endif
    return halvo::cli::Run(args, halvo::cli::SystemClock(), console);
}
