#include <QApplication>

#include <gtest/gtest.h>

#include "platform/WLog.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    WLog::setSink([](std::string_view) {});
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
