#include "platform/WLog.h"

#include <cstdio>
#include <utility>

namespace {
WLog::Sink& currentSink()
{
    static WLog::Sink sink;
    return sink;
}
}  // namespace

void WLog::write(std::string_view line)
{
    if (const auto& sink = currentSink()) {
        sink(line);
        return;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

WLog::Sink WLog::setSink(Sink sink)
{
    return std::exchange(currentSink(), std::move(sink));
}
