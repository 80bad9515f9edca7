#pragma once

#include <QVariantList>

class QAction;

// Fills the menus of the main menu that are built from data, each under the
// item given (found by its title: "Font Family & Style", "Font Size",
// "HTML Tags", "URLs", "Tools"). Given no item, the menu is built all the same
// and the font arrays are still answered.
class WApplicationMenus {
public:
    // The font names behind the items, by tag ("font_family_array").
    static QVariantList addFontFamilyMenu(QAction* item);
    // The sizes behind the items, by tag ("font_size_array").
    static QVariantList addFontSizeMenu(QAction* item);
    static void addTagMenu(QAction* item);
    static void addURLMenu(QAction* item);
    static void addScriptsMenu(QAction* item);
};
