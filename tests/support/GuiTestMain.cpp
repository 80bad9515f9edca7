// The entry point of every widget test program: an offscreen application,
// a silent log, and GoogleTest.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/WLog.h"

namespace {
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // The offscreen platform reports every window feature it lacks.
    if (message.contains(QStringLiteral("This plugin does not support")))
        return;
    // Nor is a font without shaping tables for a rare script worth a line.
    if (message.contains(QStringLiteral("OpenType support missing for")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("WEXEL_RESOURCES").isEmpty())
        qputenv("WEXEL_RESOURCES", WEXEL_SOURCE_RESOURCES);
    qInstallMessageHandler(quietMessages);
    // The log is for people; tests that care install their own sink.
    WLog::setSink([](std::string_view) {});
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
