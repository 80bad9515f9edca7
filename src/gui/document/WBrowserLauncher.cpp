#include "document/WBrowserLauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include "document/WBrowserChoice.h"

namespace {

// A name with a slash is a path of its own; any other is looked up on PATH.
QString executableFor(const QString& program)
{
    if (program.contains(u'/')) {
        const QFileInfo file(program);
        return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

}  // namespace

bool WBrowserLauncher::open(const WBrowserChoice& choice)
{
    switch (choice.kind) {
    case WBrowserChoice::Kind::None:
        return false;
    case WBrowserChoice::Kind::DesktopDefault:
        return !choice.arguments.empty()
               && QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(choice.arguments.back())));
    case WBrowserChoice::Kind::Program: {
        const QString program = executableFor(QString::fromStdString(choice.program));
        if (program.isEmpty())
            return false;
        QStringList arguments;
        for (const std::string& argument : choice.arguments)
            arguments.append(QString::fromStdString(argument));
        return QProcess::startDetached(program, arguments);
    }
    }
    return false;
}
