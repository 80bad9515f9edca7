#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "document/WDocumentData.h"

// One subcommand of wexel-tool. Each lives in its own .cpp file and registers
// itself with a static WToolCommand::Registration, so adding one touches no
// other file.
struct WToolCommand {
    using Run = int (*)(std::span<char*> arguments);  // the arguments after the subcommand's name

    std::string_view name;
    std::string_view usage;  // e.g. "detect FILE..."
    Run run = nullptr;
    bool hidden = false;     // left out of the usage text (benchmark helpers)

    static const std::vector<WToolCommand>& all();
    static const WToolCommand* find(std::string_view name);

    struct Registration {
        Registration(std::string_view name, std::string_view usage, Run run, bool hidden = false);
    };
};

// Exit codes shared by the subcommands.
inline constexpr int kToolSuccess = 0;
inline constexpr int kToolFailure = 1;  // the work itself failed (unreadable, unencodable, ...)
inline constexpr int kToolUsage = 2;    // the command line was wrong

// Writes all of the bytes to standard output; false (with a message) when it could not.
bool writeToStandardOutput(std::string_view bytes);
void printUsage();
// Opens the file exactly as the editor does; says why on standard error when it cannot.
std::optional<WOpenedText> openFileOrReport(const char* path);
