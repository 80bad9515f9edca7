// wexel-tool detect FILE...: the encoding and line-ending kind each file opens with.
#include <cstdio>
#include <string>

#include "WToolCommand.h"
#include "document/WDocumentData.h"
#include "platform/WLog.h"
#include "text/WEncoding.h"
#include "text/WTextUtils.h"

namespace {

int runDetect(std::span<char*> arguments)
{
    if (arguments.empty()) {
        std::fprintf(stderr, "usage: wexel-tool detect FILE...\n");
        return kToolUsage;
    }
    // The messages go to standard error once, in the tool's own words below.
    WLog::setSink([](std::string_view) {});
    int status = kToolSuccess;
    std::string lines;
    for (char* path : arguments) {
        std::string message;
        auto bytes = WDocumentData::readFile(path, &message);
        auto form = bytes ? WDocumentData::openedForm(*bytes, path, &message) : std::nullopt;
        if (!form) {
            std::fprintf(stderr, "wexel-tool: %s\n", message.c_str());
            status = kToolFailure;
            continue;
        }
        lines += path;
        lines += '\t';
        lines += WEncoding::name(form->encoding);
        lines += '\t';
        lines += WTextUtils::returnCodeName(form->returnCodeType);
        lines += '\n';
    }
    if (!writeToStandardOutput(lines))
        return kToolFailure;
    return status;
}

WToolCommand::Registration registration("detect", "detect FILE...", runDetect);

}  // namespace
