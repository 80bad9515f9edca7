#include "menus/WApplicationMenus.h"

#include <QAction>
#include <QMenu>

#include "menus/WMenuRenderer.h"
#include "menus/WMenuUtils.h"

namespace {

// The QMenu the item opens, made when it has none yet.
QMenu* menuOf(QAction* item)
{
    if (!item)
        return nullptr;
    if (!item->menu()) {
        auto* menu = new QMenu(item->text(), qobject_cast<QWidget*>(item->parent()));
        item->setMenu(menu);
    }
    return item->menu();
}

void show(std::unique_ptr<WMenu> model, QAction* item)
{
    if (QMenu* menu = menuOf(item))
        WMenuRenderer::render(std::move(model), menu);
}

}  // namespace

QVariantList WApplicationMenus::addFontFamilyMenu(QAction* item)
{
    auto model = std::make_unique<WMenu>(u"font_submenu");
    QVariantList names;
    for (const std::string& name : WMenuUtils::attachFontMenuToMenu(*model, "setFontFamily:"))
        names.append(QString::fromStdString(name));
    show(std::move(model), item);
    return names;
}

QVariantList WApplicationMenus::addFontSizeMenu(QAction* item)
{
    auto model = std::make_unique<WMenu>(u"size_submenu");
    QVariantList sizes;
    for (float size : WMenuUtils::attachSizeMenuToMenu(*model, "setFontSize:"))
        sizes.append(size);
    show(std::move(model), item);
    return sizes;
}

void WApplicationMenus::addTagMenu(QAction* item)
{
    auto model = std::make_unique<WMenu>(u"tag_submenu");
    WMenuUtils::attachTagMenuToMenu(*model, "insertMenuTag:");
    show(std::move(model), item);
}

void WApplicationMenus::addURLMenu(QAction* item)
{
    auto model = std::make_unique<WMenu>(u"url_menu");
    WMenuUtils::attachURLMenuToMenu(*model, "insertMenuURL:");
    show(std::move(model), item);
}

void WApplicationMenus::addScriptsMenu(QAction* item)
{
    auto model = std::make_unique<WMenu>(u"Tools");
    WMenuUtils::attachScriptsMenuToMenu(*model, "executeScript:");
    show(std::move(model), item);
}
