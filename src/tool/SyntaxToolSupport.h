#pragma once

#include <optional>
#include <span>
#include <string>

#include "document/WTextType.h"

// What the scan and colour subcommands share: "--type NAME [--keywords FILE] FILE".
struct WSyntaxToolArguments {
    WTextType type = WTextPlain;
    std::string file;
    std::optional<std::string> keywordFile;
};

// Parses the arguments; prints the problem and usage and answers nothing when they are wrong.
std::optional<WSyntaxToolArguments> parseSyntaxToolArguments(std::span<char*> arguments, std::string_view usage,
                                                            bool allowKeywords);
