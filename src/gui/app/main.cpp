#include <QApplication>
#include <QFileInfo>
#include <QStringList>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WQtPlatform.h"
#include "platform/WPlatform.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wexel"));
    QApplication::setOrganizationName(QStringLiteral("Wexel"));
    QApplication::setQuitOnLastWindowClosed(true);

    WQtPlatform platform;
    WPlatform::setShared(&platform);
    int result = 0;
    {
        WApplicationDel delegate;
        delegate.constructMenus();

        WDocumentController& documents = delegate.documentController();
        for (const QString& path : application.arguments().mid(1))
            documents.openDocument(path);
        // Nothing opened (no names, or none readable): start with an empty text.
        if (documents.documents().empty())
            documents.newDocument();
        result = application.exec();
    }
    WPlatform::setShared(nullptr);
    return result;
}
