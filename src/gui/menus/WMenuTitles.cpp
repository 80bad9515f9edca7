#include "menus/WMenuTitles.h"

#include <QDir>
#include <QFileInfo>

QString WMenuTitles::escaped(const QString& title)
{
    QString text = title;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text;
}

QString WMenuTitles::folderForDisplay(const QString& path)
{
    const QString folder = QDir::cleanPath(QFileInfo(path).absolutePath());
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home != QStringLiteral("/") && (folder == home || folder.startsWith(home + u'/')))
        return QStringLiteral("~") + folder.mid(home.size());
    return QDir::toNativeSeparators(folder);
}
