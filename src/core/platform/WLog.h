#pragma once

#include <functional>
#include <string_view>

// One line to the system log. Failures inside the editor raise nothing; they
// leave the state as it was and say so here. Tests install a sink to read the
// lines back.
class WLog {
public:
    using Sink = std::function<void(std::string_view line)>;

    static void write(std::string_view line);

    // Replaces where lines go (standard error by default); returns the old sink.
    // An empty sink restores standard error.
    static Sink setSink(Sink sink);
};
