#include "SyntaxToolSupport.h"

#include <cstdio>

std::optional<WSyntaxToolArguments> parseSyntaxToolArguments(std::span<char*> arguments, std::string_view usage,
                                                            bool allowKeywords) {
    WSyntaxToolArguments parsed;
    bool haveType = false;
    auto fail = [&](const std::string& problem) -> std::optional<WSyntaxToolArguments> {
        std::fprintf(stderr, "wexel-tool: %s\nusage: wexel-tool %.*s\n", problem.c_str(), int(usage.size()),
                     usage.data());
        return std::nullopt;
    };
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--type" || (allowKeywords && argument == "--keywords")) {
            if (i + 1 >= arguments.size()) return fail(std::string(argument) + " needs a value");
            std::string_view value = arguments[++i];
            if (argument == "--keywords") {
                parsed.keywordFile = std::string(value);
                continue;
            }
            std::optional<WTextType> type = WTextTypeNames::fromScriptingName(value);
            if (!type) return fail("unknown text type \"" + std::string(value) + "\"");
            parsed.type = *type;
            haveType = true;
        } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
            return fail("unknown option " + std::string(argument));
        } else if (parsed.file.empty()) {
            parsed.file = argument;
        } else {
            return fail("one file at a time");
        }
    }
    if (!haveType) return fail("--type is required");
    if (parsed.file.empty()) return fail("no file given");
    return parsed;
}
