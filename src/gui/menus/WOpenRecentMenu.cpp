#include "menus/WOpenRecentMenu.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "app/WDocumentController.h"
#include "app/WRecentDocuments.h"
#include "menus/WMenuTitles.h"

QMenu* WOpenRecentMenu::make(QMenu* parent, WRecentDocuments& recent, WDocumentController& controller)
{
    QMenu* menu = parent->addMenu(QObject::tr("Open Recent"));
    WRecentDocuments* list = &recent;
    WDocumentController* documents = &controller;
    QObject::connect(&recent, &WRecentDocuments::changed, menu, [menu, list, documents] { refresh(menu, *list, *documents); });
    refresh(menu, recent, controller);
    return menu;
}

void WOpenRecentMenu::refresh(QMenu* menu, WRecentDocuments& recent, WDocumentController& controller)
{
    menu->clear();
    WRecentDocuments* list = &recent;
    WDocumentController* documents = &controller;
    for (const QString& path : recent.paths()) {
        const QString title =
            QStringLiteral("%1 — %2").arg(QFileInfo(path).fileName(), WMenuTitles::folderForDisplay(path));
        QAction* item = menu->addAction(WMenuTitles::escaped(title));
        item->setToolTip(path);
        QObject::connect(item, &QAction::triggered, menu, [list, documents, path] {
            // The list changes (and this menu is rebuilt) once the file is open.
            if (!documents->openDocument(path) && !QFileInfo::exists(path))
                list->forgetDocument(path);
        });
    }
    menu->addSeparator();
    QAction* clear = menu->addAction(QObject::tr("Clear Menu"));
    clear->setEnabled(!recent.paths().isEmpty());
    QObject::connect(clear, &QAction::triggered, menu, [list] { list->clear(); });
}
