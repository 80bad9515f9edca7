#include "menus/WHelpMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>

#ifndef WEXEL_VERSION
#define WEXEL_VERSION "unknown"
#endif

QMenu* WHelpMenu::make()
{
    auto* menu = new QMenu(QObject::tr("&Help"));
    QAction* about = menu->addAction(QObject::tr("About Wexel"));
    about->setMenuRole(QAction::AboutRole);
    QObject::connect(about, &QAction::triggered, menu, [] {
        QPointer<QWidget> window = QApplication::activeWindow();
        QMessageBox::about(window, QObject::tr("About Wexel"), aboutText());
    });
    return menu;
}

QString WHelpMenu::aboutText()
{
    return QObject::tr("<h3>Wexel %1</h3>"
                       "<p>A text editor for web pages and scripts written in Japanese: "
                       "character codes and line ends kept as the file has them, colouring for "
                       "HTML, CSS, Perl, PHP, Ruby and shell scripts, and tags, links and add-ons "
                       "from menus.</p>"
                       "<p>Built with Qt %2.</p>")
        .arg(QStringLiteral(WEXEL_VERSION), QString::fromLatin1(qVersion()));
}
