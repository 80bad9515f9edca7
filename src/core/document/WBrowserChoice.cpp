#include "document/WBrowserChoice.h"

#include <algorithm>
#include <array>

namespace {

std::vector<std::string> splitAtBlanks(std::string_view command)
{
    std::vector<std::string> words;
    size_t index = 0;
    while (index < command.size()) {
        while (index < command.size() && (command[index] == ' ' || command[index] == '\t'))
            ++index;
        const size_t start = index;
        while (index < command.size() && command[index] != ' ' && command[index] != '\t')
            ++index;
        if (index > start)
            words.emplace_back(command.substr(start, index - start));
    }
    return words;
}

bool startsWith(std::string_view text, std::string_view head)
{
    return text.substr(0, head.size()) == head;
}

}  // namespace

std::vector<std::string> WBrowserChoice::newWindowArguments(std::string_view program)
{
    if (const size_t slash = program.rfind('/'); slash != std::string_view::npos)
        program.remove_prefix(slash + 1);
    // Firefox, the Chromium family, Epiphany and Falkon all take the same flag.
    static constexpr std::array<std::string_view, 10> withFlag = {
        "firefox", "chromium", "google-chrome", "brave-browser", "microsoft-edge",
        "vivaldi", "epiphany", "falkon",        "librewolf",     "opera"};
    if (std::any_of(withFlag.begin(), withFlag.end(), [program](std::string_view name) { return startsWith(program, name); }))
        return {"--new-window"};
    if (program == "qutebrowser")
        return {"--target", "window"};
    return {};
}

WBrowserChoice WBrowserChoice::choose(int32_t preferredBrowser, std::string_view command, bool newWindow,
                                      std::string_view fileURL)
{
    WBrowserChoice choice;
    if (preferredBrowser == 1) {
        // The desktop opens a new window or a tab as the browser is set up to.
        choice.kind = Kind::DesktopDefault;
        choice.arguments = {std::string(fileURL)};
        return choice;
    }
    if (preferredBrowser != 2)
        return choice;
    std::vector<std::string> words = splitAtBlanks(command);
    if (words.empty())
        return choice;  // no browser named yet: nothing to start
    choice.kind = Kind::Program;
    choice.program = words.front();
    choice.arguments.assign(words.begin() + 1, words.end());
    if (newWindow) {
        for (std::string& argument : newWindowArguments(choice.program))
            choice.arguments.push_back(std::move(argument));
    }
    choice.arguments.emplace_back(fileURL);
    return choice;
}
