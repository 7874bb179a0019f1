// What halvo-set does when Explorer opens it without arguments.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "double_click.h"

namespace halvo::cli::test {
namespace {

TEST(HalvoSetDoubleClick, OnlyNoArgumentsInAConsoleOfItsOwnShowingItsOutput) {
    struct Case {
        const char* name;
        std::size_t arguments;
        unsigned long console_processes;
        bool out_is_console;
        bool explain;
    };
    const Case cases[] = {
        {"double-click in Explorer", 0, 1, true, true},
        {"typed at a command prompt (cmd.exe shares the console)", 0, 2, true, false},
        {"started by a program that shares its console", 0, 3, true, false},
        {"no console at all (GetConsoleProcessList fails)", 0, 0, true, false},
        {"own console, output redirected to a file", 0, 1, false, false},
        {"own console, with options (a shortcut or a script)", 1, 1, true, false},
        {"own console, several options", 4, 1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OpenedByDoubleClick(c.arguments, c.console_processes, c.out_is_console), c.explain);
    }
}

// Columns a line takes on a console: two for a character of three UTF-8 bytes (kana, kanji, full-width
// punctuation), one for ASCII.
std::size_t Columns(const std::string& line) {
    std::size_t columns = 0;
    for (const char c : line) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) ++columns;
        else if (b >= 0xe0) columns += 2;
    }
    return columns;
}

TEST(HalvoSetDoubleClick, TheNoteIsTwoLinesNamingTheDialogAndHelpThatFitAnOldConsole) {
    struct Case {
        const char* name;
        bool japanese;
        const char* commandLine;  // what the first line says the program is for
        const char* key;          // what the second says of the key
    };
    const Case cases[] = {
        {"a Japanese Windows", true, "コマンドライン", "キーを押す"},
        {"any other", false, "command line", "any key"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = DoubleClickNote(c.japanese);
        std::istringstream note(text);
        std::vector<std::string> lines;
        for (std::string line; std::getline(note, line);) lines.push_back(line);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(text.back(), '\n');
        // An 80-column console wraps the 80th character's line end onto an empty row.
        for (const std::string& line : lines) EXPECT_LT(Columns(line), 80u) << line;
        EXPECT_NE(lines[0].find(c.commandLine), std::string::npos);
        EXPECT_NE(lines[0].find("Halvo.exe"), std::string::npos);
        EXPECT_NE(lines[1].find("halvo-set.exe --help"), std::string::npos);
        EXPECT_NE(lines[1].find(c.key), std::string::npos);
    }
    // Each language alone: no Japanese in the English note.
    for (const char c : std::string(DoubleClickNote(false))) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}

}  // namespace
}  // namespace halvo::cli::test
