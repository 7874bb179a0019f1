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

TEST(HalvoSetDoubleClick, TheNoteIsTwoLinesNamingTheDialogAndHelpThatFitAnOldConsole) {
    std::istringstream note(kDoubleClickNote);
    std::vector<std::string> lines;
    for (std::string line; std::getline(note, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(std::string(kDoubleClickNote).back(), '\n');
    // An 80-column console wraps the 80th character's line end onto an empty row.
    for (const std::string& line : lines) EXPECT_LT(line.size(), 80u) << line;
    EXPECT_NE(lines[0].find("command line"), std::string::npos);
    EXPECT_NE(lines[0].find("Halvo.exe"), std::string::npos);
    EXPECT_NE(lines[1].find("halvo-set.exe --help"), std::string::npos);
    EXPECT_NE(lines[1].find("any key"), std::string::npos);
}

}  // namespace
}  // namespace halvo::cli::test
