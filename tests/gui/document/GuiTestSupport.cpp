#include "GuiTestSupport.h"

#include <QFile>



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
