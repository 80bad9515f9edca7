// The document's side of the menus: the check marks of the font menus, which
// belong to the main menu and show the font of the document that last came to
// the front or last changed its font, and the enabling of its own commands.
#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "app/WApplicationDel.h"
#include "document/MyDocument.h"
#include "menus/WMenuRenderer.h"
#include "menus/WMenuUtils.h"
#include "platform/WLog.h"

namespace {

// The model behind a data-built menu of the main menu, or null before it is built.
std::pair<QMenu*, WMenu*> builtMenu(const QString& title)
{
    WApplicationDel* application = WApplicationDel::shared();
    QAction* item = application ? application->mainMenuItem(title) : nullptr;
    QMenu* menu = item ? item->menu() : nullptr;
    return {menu, WMenuRenderer::modelOf(menu)};
}

// Checks the item with the tag and, for a face, its family's item above it.
bool checkItemWithTag(WMenu& menu, qsizetype tag)
{
    WMenuItem* item = WMenuUtils::searchMenuItemWithTag(static_cast<int32_t>(tag), menu);
    if (!item)
        return false;
    item->setState(WOnState);
    if (WMenuItem* holder = item->menu() ? WMenuUtils::getMenuItemWithSubmenu(*item->menu()) : nullptr)
        holder->setState(WOnState);
    return true;
}

}  // namespace

void MyDocument::validateMenus()
{
    validateFontFamilyMenu();
    validateFontSizeMenu();
}

void MyDocument::validateFontFamilyMenu()
{
    const auto [menu, model] = builtMenu(WApplicationDel::fontFamilyMenuTitle());
    if (!model)
        return;
    WMenuUtils::turnOffAllMenuItemState(*model);
    const QVariantList names =
        WApplicationDel::shared()->menuDict(QStringLiteral("font_family_array")).value_or(QVariantList());
    const qsizetype position = names.indexOf(mTextViewFontName);
    if (position < 0)
        WLog::write("TextViewFontName : NotFound");
    else if (!checkItemWithTag(*model, position))
        WLog::write("fontMenuItem : NotFound");
    WMenuRenderer::showStates(menu);
}

void MyDocument::validateFontSizeMenu()
{
    const auto [menu, model] = builtMenu(WApplicationDel::fontSizeMenuTitle());
    if (!model)
        return;
    WMenuUtils::turnOffAllMenuItemState(*model);
    const QVariantList sizes =
        WApplicationDel::shared()->menuDict(QStringLiteral("font_size_array")).value_or(QVariantList());
    // A size the table does not have leaves the menu unchecked, quietly.
    for (qsizetype position = 0; position < sizes.size(); ++position) {
        if (sizes[position].toFloat() == mTextViewFontSize) {
            checkItemWithTag(*model, position);
            break;
        }
    }
    WMenuRenderer::showStates(menu);
}

bool MyDocument::validateMenuItem(WMenuItem& item) const
{
    if (item.action() == "toggleStoreWindowStatus:") {
        item.setState(mStoreWindowStatus ? WOnState : WOffState);
        return true;
    }
    if (item.action() == "openUserDefinedTagFile:")
        return QFileInfo(userDefinedTagFile()).isFile();
    return true;
}
