#include "menus/WApplicationMenus.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <filesystem>
#include <system_error>

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

// What the bookmark files look like on disk now: their size and time of
// change, or that they are missing.
QByteArray urlSourcesStamp()
{
    QByteArray stamp;
    for (const std::filesystem::path& file : WMenuUtils::urlMenuSourceFiles()) {
        std::error_code error;
        auto time = std::filesystem::last_write_time(file, error);
        stamp += QByteArray::fromStdString(file.string());
        if (error) {
            stamp += " missing\n";
            continue;
        }
        uintmax_t size = std::filesystem::is_regular_file(file, error) ? std::filesystem::file_size(file, error) : 0;
        stamp += ' ' + QByteArray::number(static_cast<qlonglong>(time.time_since_epoch().count())) + ' ' +
                 QByteArray::number(static_cast<qulonglong>(size)) + '\n';
    }
    return stamp;
}

const char* const kUrlSourcesProperty = "wexelUrlSources";

void renderURLMenu(QMenu* menu)
{
    menu->setProperty(kUrlSourcesProperty, urlSourcesStamp());
    auto model = std::make_unique<WMenu>(u"url_menu");
    WMenuUtils::attachURLMenuToMenu(*model, "insertMenuURL:");
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
    // Where the tags come from, for changing them; enabled while the file exists.
    model->addSeparatorItem();
    model->addItemWithTitle(
        QCoreApplication::translate("WApplicationMenus", "Open User-defined Tag File").toStdU16String(),
        "openUserDefinedTagFile:");
    show(std::move(model), item);
}

void WApplicationMenus::addURLMenu(QAction* item)
{
    QMenu* menu = menuOf(item);
    if (!menu)
        return;
    renderURLMenu(menu);
    // A bookmark added in a browser shows up the next time the menu opens.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        if (menu->property(kUrlSourcesProperty).toByteArray() != urlSourcesStamp()) {
            renderURLMenu(menu);
            WMenuRenderer::validate(menu);
        }
    });
}

void WApplicationMenus::addScriptsMenu(QAction* item)
{
    auto model = std::make_unique<WMenu>(u"Tools");
    WMenuUtils::attachScriptsMenuToMenu(*model, "executeScript:");
    show(std::move(model), item);
}
