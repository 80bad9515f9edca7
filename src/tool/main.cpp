#include <cstdio>
#include <cstring>
#include <string>

#include "WToolCommand.h"

namespace {
std::vector<WToolCommand>& registry()
{
    static std::vector<WToolCommand> commands;
    return commands;
}
}  // namespace

const std::vector<WToolCommand>& WToolCommand::all()
{
    return registry();
}

const WToolCommand* WToolCommand::find(std::string_view name)
{
    for (const auto& command : registry()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

WToolCommand::Registration::Registration(std::string_view name, std::string_view usage, Run run, bool hidden)
{
    registry().push_back(WToolCommand{name, usage, run, hidden});
}

bool writeToStandardOutput(std::string_view bytes)
{
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
        std::fprintf(stderr, "wexel-tool: could not write the output: %s\n", std::strerror(errno));
        return false;
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "wexel-tool: could not write the output: %s\n", std::strerror(errno));
        return false;
    }
    return true;
}

std::optional<WOpenedText> openFileOrReport(const char* path)
{
    std::string message;
    auto opened = WDocumentData::openFile(path, &message);
    if (!opened)
        std::fprintf(stderr, "wexel-tool: %s\n", message.c_str());
    return opened;
}

void printUsage()
{
    std::string usage = "usage:";
    for (const auto& command : WToolCommand::all()) {
        if (!command.hidden)
            usage += "\n  wexel-tool " + std::string(command.usage);
    }
    std::fprintf(stderr, "%s\n", usage.c_str());
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage();
        return kToolUsage;
    }
    std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage();
        return kToolSuccess;
    }
    const WToolCommand* command = WToolCommand::find(name);
    if (!command) {
        std::fprintf(stderr, "wexel-tool: unknown command \"%s\"\n", argv[1]);
        printUsage();
        return kToolUsage;
    }
    return command->run(std::span<char*>(argv + 2, static_cast<size_t>(argc - 2)));
}
