#include "app/WDesktopRecentFiles.h"

#include <QDateTime>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include "platform/WLog.h"

namespace {

const QString kOwner = QStringLiteral("http://freedesktop.org");
const QString kApplicationName = QStringLiteral("Wexel");

// The first child element of that tag, made when there is none.
QDomElement child(QDomDocument& document, QDomElement parent, const QString& tag)
{
    QDomElement found = parent.firstChildElement(tag);
    if (found.isNull())
        found = parent.appendChild(document.createElement(tag)).toElement();
    return found;
}

QDomElement metadataOf(QDomDocument& document, QDomElement bookmark)
{
    QDomElement info = child(document, bookmark, QStringLiteral("info"));
    for (QDomElement metadata = info.firstChildElement(QStringLiteral("metadata")); !metadata.isNull();
         metadata = metadata.nextSiblingElement(QStringLiteral("metadata"))) {
        if (metadata.attribute(QStringLiteral("owner")) == kOwner)
            return metadata;
    }
    QDomElement metadata = info.appendChild(document.createElement(QStringLiteral("metadata"))).toElement();
    metadata.setAttribute(QStringLiteral("owner"), kOwner);
    return metadata;
}

void noteApplication(QDomDocument& document, QDomElement metadata, const QString& now)
{
    QDomElement applications = child(document, metadata, QStringLiteral("bookmark:applications"));
    for (QDomElement application = applications.firstChildElement(QStringLiteral("bookmark:application"));
         !application.isNull(); application = application.nextSiblingElement(QStringLiteral("bookmark:application"))) {
        if (application.attribute(QStringLiteral("name")) == kApplicationName) {
            application.setAttribute(QStringLiteral("modified"), now);
            application.setAttribute(QStringLiteral("count"),
                                     application.attribute(QStringLiteral("count")).toInt() + 1);
            return;
        }
    }
    QDomElement application = applications.appendChild(document.createElement(QStringLiteral("bookmark:application"))).toElement();
    application.setAttribute(QStringLiteral("name"), kApplicationName);
    application.setAttribute(QStringLiteral("exec"), QStringLiteral("'wexel %u'"));
    application.setAttribute(QStringLiteral("modified"), now);
    application.setAttribute(QStringLiteral("count"), 1);
}

}  // namespace

QString WDesktopRecentFiles::defaultListFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/recently-used.xbel");
}

bool WDesktopRecentFiles::addFile(const QString& listFile, const QString& path)
{
    QDomDocument document;
    QFile existing(listFile);
    const bool isNew = !existing.exists();
    if (existing.open(QIODevice::ReadOnly)) {
        if (!document.setContent(&existing)
            || document.documentElement().tagName() != QStringLiteral("xbel")) {
            WLog::write("WDesktopRecentFiles::addFile - not a bookmark list: " + listFile.toStdString());
            return false;
        }
        existing.close();
    } else {
        document.appendChild(document.createProcessingInstruction(QStringLiteral("xml"),
                                                                  QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
        QDomElement root = document.appendChild(document.createElement(QStringLiteral("xbel"))).toElement();
        root.setAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        root.setAttribute(QStringLiteral("xmlns:bookmark"),
                          QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks"));
        root.setAttribute(QStringLiteral("xmlns:mime"),
                          QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    }

    const QString href = QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    QDomElement root = document.documentElement();
    QDomElement bookmark;
    for (QDomElement candidate = root.firstChildElement(QStringLiteral("bookmark")); !candidate.isNull();
         candidate = candidate.nextSiblingElement(QStringLiteral("bookmark"))) {
        if (candidate.attribute(QStringLiteral("href")) == href) {
            bookmark = candidate;
            break;
        }
    }
    if (bookmark.isNull()) {
        bookmark = root.appendChild(document.createElement(QStringLiteral("bookmark"))).toElement();
        bookmark.setAttribute(QStringLiteral("href"), href);
        bookmark.setAttribute(QStringLiteral("added"), now);
        QDomElement metadata = metadataOf(document, bookmark);
        QDomElement mime = child(document, metadata, QStringLiteral("mime:mime-type"));
        mime.setAttribute(QStringLiteral("type"), QMimeDatabase().mimeTypeForFile(path).name());
    }
    bookmark.setAttribute(QStringLiteral("modified"), now);
    bookmark.setAttribute(QStringLiteral("visited"), now);
    noteApplication(document, metadataOf(document, bookmark), now);

    QDir().mkpath(QFileInfo(listFile).absolutePath());
    QSaveFile file(listFile);
    const bool opened = file.open(QIODevice::WriteOnly);
    if (opened && isNew)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);  // what one reads is private
    if (!opened || file.write(document.toByteArray(2)) < 0 || !file.commit()) {
        WLog::write("WDesktopRecentFiles::addFile - cannot write " + listFile.toStdString());
        return false;
    }
    return true;
}
