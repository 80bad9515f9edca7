#include "GuiTestSupport.h"

#include <QFile>

#include <cstdio>

#include "platform/WLog.h"

QString GuiTest::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString target = path(name);
    QFile file(target);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return target;
}

QByteArray GuiTest::readFile(const QString& name) const
{
    QFile file(name.startsWith(u'/') ? name : path(name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

namespace {
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // The offscreen platform reports every window feature it lacks.
    if (message.contains(QStringLiteral("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    // The log is for people; tests that care read it through their own sink.
    WLog::setSink([](std::string_view) {});
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
