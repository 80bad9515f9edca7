// wexel-tool convert [--to NAME] [--eol CR|LF|CR-LF] FILE: what the editor would
// save after opening FILE, on standard output.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "WToolCommand.h"
#include "document/WDocumentData.h"
#include "platform/WLog.h"
#include "text/WEncoding.h"
#include "text/WTextUtils.h"

namespace {

int usage(const char* complaint)
{
    std::fprintf(stderr, "wexel-tool: %s\nusage: wexel-tool convert [--to S-JIS|JIS|EUC|UTF-8|UTF-16] [--eol CR|LF|CR-LF] FILE\n",
                 complaint);
    return kToolUsage;
}

int runConvert(std::span<char*> arguments)
{
    std::optional<WStringEncoding> encoding;
    std::optional<WReturnCodeType> kind;
    const char* path = nullptr;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--to" || argument == "--eol") {
            if (i + 1 == arguments.size())
                return usage((std::string(argument) + " needs a value").c_str());
            std::string_view value = arguments[++i];
            if (argument == "--to") {
                encoding = WEncoding::fromName(value);
                if (!encoding)
                    return usage(("unknown encoding \"" + std::string(value) + "\"").c_str());
            } else {
                kind = WTextUtils::returnCodeFromName(value);
                if (!kind)
                    return usage(("unknown line ending \"" + std::string(value) + "\"").c_str());
            }
        } else if (argument.size() > 1 && argument[0] == '-' && argument != "--") {
            return usage(("unknown option \"" + std::string(argument) + "\"").c_str());
        } else {
            if (argument == "--") {
                if (i + 1 >= arguments.size())
                    break;
                argument = arguments[++i];
            }
            if (path)
                return usage("convert takes one file");
            path = arguments[i];
        }
    }
    if (!path)
        return usage("no file named");

    WLog::setSink([](std::string_view) {});
    auto opened = openFileOrReport(path);
    if (!opened)
        return kToolFailure;
    WStringEncoding target = encoding.value_or(opened->encoding);
    auto saved = WDocumentData::saveText(opened->text, target, kind.value_or(opened->returnCodeType));
    if (saved.failure) {
        std::fprintf(stderr, "wexel-tool: %s: %s\n", path, WDocumentData::saveFailureMessage(*saved.failure, target).c_str());
        return kToolFailure;
    }
    if (!writeToStandardOutput(std::string_view(reinterpret_cast<const char*>(saved.bytes.data()), saved.bytes.size())))
        return kToolFailure;
    return kToolSuccess;
}

WToolCommand::Registration registration("convert", "convert [--to S-JIS|JIS|EUC|UTF-8|UTF-16] [--eol CR|LF|CR-LF] FILE",
                                        runConvert);

}  // namespace
