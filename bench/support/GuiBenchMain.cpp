// The entry point of the benchmarks that measure the application in an
// offscreen window.
#include <QApplication>

#include <benchmark/benchmark.h>

#include "platform/WLog.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    WLog::setSink([](std::string_view) {});
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
