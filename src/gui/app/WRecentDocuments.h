#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The files the user last opened or saved, newest first, kept in a file of
// the editor's own (one path a line) so that File › Open Recent survives a
// restart. Each one noted is also handed to the desktop's recently-used list
// when there is one.
class WRecentDocuments : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaximumCount = 10;

    // listFile: where the list is kept; desktopListFile: the desktop's
    // recently-used.xbel, or empty for none.
    WRecentDocuments(const QString& listFile, const QString& desktopListFile, QObject* parent = nullptr);

    const QStringList& paths() const { return mPaths; }
    // Puts the file first (once), drops the oldest past the maximum and stores the list.
    void noteDocument(const QString& path);
    // A file that could not be opened any more leaves the list.
    void forgetDocument(const QString& path);
    void clear();

signals:
    void changed();

private:
    void load();
    void store();

    QString mListFile;
    QString mDesktopListFile;
    QStringList mPaths;
};
