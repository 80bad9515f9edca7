#include "menus/WWindowMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "app/WDocumentController.h"
#include "document/MyDocument.h"
#include "menus/WMenuTitles.h"

QMenu* WWindowMenu::make(WDocumentController& controller)
{
    auto* menu = new QMenu(QObject::tr("&Window"));
    WDocumentController* documents = &controller;
    auto update = [menu, documents] { refresh(menu, *documents); };
    QObject::connect(&controller, &WDocumentController::documentsChanged, menu, update);
    QObject::connect(&controller, &WDocumentController::currentDocumentChanged, menu, update);
    // A Save As renames a window while the list stands.
    QObject::connect(menu, &QMenu::aboutToShow, menu, update);
    refresh(menu, controller);
    return menu;
}

QString WWindowMenu::titleFor(const MyDocument& document, const WDocumentController& controller)
{
    const QString name = document.displayName();
    if (document.fileName().isEmpty())
        return name;
    for (const auto& other : controller.documents()) {
        if (other.get() != &document && other->displayName() == name)
            return QStringLiteral("%1 — %2").arg(name, WMenuTitles::folderForDisplay(document.fileName()));
    }
    return name;
}

void WWindowMenu::refresh(QMenu* menu, WDocumentController& controller)
{
    menu->clear();
    for (QActionGroup* group : menu->findChildren<QActionGroup*>(QString(), Qt::FindDirectChildrenOnly))
        delete group;
    auto* group = new QActionGroup(menu);
    MyDocument* front = controller.currentDocument();
    for (const auto& document : controller.documents()) {
        QAction* item = menu->addAction(WMenuTitles::escaped(titleFor(*document, controller)));
        item->setCheckable(true);
        item->setChecked(document.get() == front);
        group->addAction(item);
        MyDocument* target = document.get();
        WDocumentController* documents = &controller;
        QObject::connect(item, &QAction::triggered, menu, [documents, target] {
            // The item may outlive its document by a moment; look it up again.
            for (const auto& open : documents->documents()) {
                if (open.get() == target) {
                    documents->bringToFront(target);
                    return;
                }
            }
        });
    }
    if (controller.documents().empty())
        menu->addAction(QObject::tr("No Documents"))->setEnabled(false);
}
