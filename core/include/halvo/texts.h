#pragma once

// The sentences more than one front end shows. The words of each list are
// the lists' own (settings_lists.h).

namespace halvo {

/// A text in the front ends' two languages, UTF-8.
struct Words {
    const char* japanese;  ///< as the dialog shows it
    const char* english;   ///< as the page and halvo-set show it
};

/// The text every front end shows for a failure, as the dialog has always shown it.
inline constexpr char kErrorText[] = "ERROR!";

/// What to do with set.txt once it is written.
inline constexpr Words kWrittenAdvice{
    "本体をPCと接続し、作成されたset.txtファイルに入れます。PCから取り出して電源を入れると設定完了です。",
    "Connect the camera to the computer, put set.txt into the top folder of its storage, disconnect it and switch "
    "it on: it takes the settings at power-on."};

}  // namespace halvo
