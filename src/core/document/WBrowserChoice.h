#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How Open with Browser shows a file, decided from the preferences as they are
// at that moment: "preferred_browser" 1 hands the file's URL to the desktop's
// opener (its default browser), 2 starts the browser command the user named
// ("browser_command"), anything else shows nothing. The command is split at
// blanks into the program and its own arguments; nothing goes through a shell.
struct WBrowserChoice {
    enum class Kind { None, DesktopDefault, Program };

    Kind kind = Kind::None;
    std::string program;                 // the program as named, to be found on PATH
    std::vector<std::string> arguments;  // the command's arguments, then the new-window ones, then the URL

    static WBrowserChoice choose(int32_t preferredBrowser, std::string_view command, bool newWindow,
                                 std::string_view fileURL);

    // What makes the browser open a new window rather than a tab, by the
    // program's name (a path's last part); none for a browser we know no such
    // argument of.
    static std::vector<std::string> newWindowArguments(std::string_view program);
};
