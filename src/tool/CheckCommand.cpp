// wexel-tool check [--to NAME] FILE...: every character that saving each file
// in NAME (by default its own encoding) would lose or change, one per line:
// path, line, column, the character and what happens to it, tab-separated.
#include <cstdio>
#include <optional>
#include <string>

#include "WToolCommand.h"
#include "document/WCharacterCheck.h"
#include "platform/WLog.h"

namespace {

int usage(const char* complaint)
{
    std::fprintf(stderr, "wexel-tool: %s\nusage: wexel-tool check [--to S-JIS|JIS|EUC|UTF-8|UTF-16] FILE...\n",
                 complaint);
    return kToolUsage;
}

int runCheck(std::span<char*> arguments)
{
    std::optional<WStringEncoding> encoding;
    std::vector<const char*> paths;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--to") {
            if (i + 1 == arguments.size())
                return usage("--to needs a value");
            encoding = WEncoding::fromName(arguments[++i]);
            if (!encoding)
                return usage(("unknown encoding \"" + std::string(arguments[i]) + "\"").c_str());
        } else if (argument == "--") {
            for (++i; i < arguments.size(); ++i)
                paths.push_back(arguments[i]);
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage(("unknown option \"" + std::string(argument) + "\"").c_str());
        } else {
            paths.push_back(arguments[i]);
        }
    }
    if (paths.empty())
        return usage("no file named");

    WLog::setSink([](std::string_view) {});
    int status = kToolSuccess;
    for (const char* path : paths) {
        auto opened = openFileOrReport(path);
        if (!opened) {
            status = kToolFailure;
            continue;
        }
        std::string lines;
        for (const WCharacterProblem& problem :
             WCharacterCheck::problems(opened->text, encoding.value_or(opened->encoding))) {
            lines += std::string(path) + '\t' + std::to_string(problem.line) + '\t' + std::to_string(problem.column) +
                     '\t' + WCharacterCheck::characterName(problem.character) + '\t' +
                     WCharacterCheck::outcome(problem) + '\n';
            status = kToolFailure;
        }
        if (!writeToStandardOutput(lines))
            return kToolFailure;
    }
    return status;
}

WToolCommand::Registration registration("check", "check [--to S-JIS|JIS|EUC|UTF-8|UTF-16] FILE...", runCheck);

}  // namespace
