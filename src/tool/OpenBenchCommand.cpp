// wexel-tool open-bench FILE: the editor's open path alone (read, detect, decode,
// CR form), for timing against other tools. Prints the text's length in UTF-16 units.
#include <cstdio>

#include "WToolCommand.h"
#include "document/WDocumentData.h"
#include "platform/WLog.h"

namespace {

int runOpenBench(std::span<char*> arguments)
{
    if (arguments.size() != 1) {
        std::fprintf(stderr, "usage: wexel-tool open-bench FILE\n");
        return kToolUsage;
    }
    WLog::setSink([](std::string_view) {});
    auto opened = openFileOrReport(arguments[0]);
    if (!opened)
        return kToolFailure;
    std::printf("%zu\n", opened->text.size());
    return kToolSuccess;
}

WToolCommand::Registration registration("open-bench", "open-bench FILE", runOpenBench, true);

}  // namespace
