#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <memory>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WQtPlatform.h"
#include "app/WTranslations.h"
#include "platform/WPlatform.h"
#include "scripting/WScriptingService.h"

namespace {
// wexel [--new-instance] [--new-document] [--gapplication-service] [--] [FILE...]
struct LaunchOptions {
    QStringList files;
    bool newInstance = false;   // a separate editor, without the bus name
    bool newDocument = false;   // an empty document even when files are open
    bool startedByBus = false;  // the bus started us for a client's message
};

LaunchOptions parseArguments(const QStringList& arguments)
{
    LaunchOptions options;
    bool optionsEnd = false;
    for (const QString& argument : arguments.mid(1)) {
        if (!optionsEnd && argument == QLatin1String("--"))
            optionsEnd = true;
        else if (!optionsEnd && argument == QLatin1String("--new-instance"))
            options.newInstance = true;
        else if (!optionsEnd && argument == QLatin1String("--new-document"))
            options.newDocument = true;
        else if (!optionsEnd && argument == QLatin1String("--gapplication-service"))
            options.startedByBus = true;
        else
            options.files << argument;
    }
    return options;
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wexel"));
    QApplication::setOrganizationName(QStringLiteral("Wexel"));
    QApplication::setApplicationVersion(QStringLiteral(WEXEL_VERSION));
    QApplication::setQuitOnLastWindowClosed(true);
    const LaunchOptions options = parseArguments(application.arguments());
    // The desktop's language, before the first window or menu is made.
    const WTranslations translations;

    WQtPlatform platform;
    WPlatform::setShared(&platform);
    int result = 0;
    {
        WApplicationDel delegate;
        WDocumentController& documents = delegate.documentController();
        // One editor per session: a running one takes the files and this one ends.
        std::unique_ptr<WScriptingService> scripting;
        if (!options.newInstance) {
            WScriptingService::Start started = WScriptingService::start(documents, options.files, options.newDocument);
            if (started.handedOver) {
                WPlatform::setShared(nullptr);
                return 0;
            }
            scripting = std::move(started.service);
        }
        delegate.constructMenus();

        for (const QString& path : options.files)
            documents.openDocument(path);
        if (options.startedByBus && scripting) {
            // The message that started us opens the window; should none come, end.
            QTimer::singleShot(30000, &application, [&documents] {
                if (documents.documents().empty())
                    QApplication::quit();
            });
        } else if (documents.documents().empty() || options.newDocument) {
            // Nothing opened (no names, or none readable): start with an empty text.
            documents.newDocument();
        }
        result = application.exec();
    }
    WPlatform::setShared(nullptr);
    return result;
}
