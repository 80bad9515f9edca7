#include "app/WRecentDocuments.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/WDesktopRecentFiles.h"
#include "platform/WLog.h"

WRecentDocuments::WRecentDocuments(const QString& listFile, const QString& desktopListFile, QObject* parent)
    : QObject(parent)
    , mListFile(listFile)
    , mDesktopListFile(desktopListFile)
{
    load();
}

void WRecentDocuments::load()
{
    QFile file(mListFile);
    if (!file.open(QIODevice::ReadOnly))
        return;  // none yet
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString path = QString::fromUtf8(line);
        if (!path.isEmpty() && !mPaths.contains(path) && mPaths.size() < kMaximumCount)
            mPaths.append(path);
    }
}

void WRecentDocuments::store()
{
    QDir().mkpath(QFileInfo(mListFile).absolutePath());
    QSaveFile file(mListFile);
    if (file.open(QIODevice::WriteOnly)) {
        for (const QString& path : mPaths)
            file.write(path.toUtf8() + '\n');
        if (file.commit())
            return;
    }
    WLog::write("WRecentDocuments::store - cannot write " + mListFile.toStdString());
}

void WRecentDocuments::noteDocument(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute.isEmpty())
        return;
    mPaths.removeAll(absolute);
    mPaths.prepend(absolute);
    while (mPaths.size() > kMaximumCount)
        mPaths.removeLast();
    store();
    if (!mDesktopListFile.isEmpty())
        WDesktopRecentFiles::addFile(mDesktopListFile, absolute);
    emit changed();
}

void WRecentDocuments::forgetDocument(const QString& path)
{
    if (mPaths.removeAll(path) == 0)
        return;
    store();
    emit changed();
}

void WRecentDocuments::clear()
{
    if (mPaths.isEmpty())
        return;
    mPaths.clear();
    store();
    emit changed();
}
