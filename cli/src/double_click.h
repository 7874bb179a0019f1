#pragma once

// halvo-set opened from Explorer by a double-click: Windows gives it a console
// window of its own, which closes the moment it ends. Run as it would be from a
// command prompt, it would write a set.txt of default settings into its folder,
// over the one Halvo.exe may just have written there, and vanish unread.

#include <cstddef>

#include "halvo/texts.h"

namespace halvo::cli {

/// Whether to explain instead of running: no arguments, a console no other process shares, and output shown on it.
constexpr bool OpenedByDoubleClick(std::size_t arguments, unsigned long console_processes, bool out_is_console) {
    return arguments == 0 && console_processes == 1 && out_is_console;
}

/// What a double-click shows instead, in the user's language: two lines that fit a console 80 columns wide.
inline constexpr Words kDoubleClickNote{
    "halvo-set.exe はコマンドライン用です。設定画面は Halvo.exe を開いてください。\n"
    "使い方はコマンドプロンプトで halvo-set.exe --help。何かキーを押すと閉じます。\n",
    "halvo-set.exe is for the command line. For the settings dialog, open Halvo.exe.\n"
    "Its options: halvo-set.exe --help in a command prompt. Press any key to close.\n"};

/// The note for a Windows whose interface is Japanese, or the English one for any other.
constexpr const char* DoubleClickNote(bool japaneseInterface) {
    return japaneseInterface ? kDoubleClickNote.japanese : kDoubleClickNote.english;
}

}  // namespace halvo::cli
