// The favorites HTML file of the bookmark menu.
#include <cstdint>

#include "FuzzSupport.h"
#include "menus/WMenu.h"
#include "menus/WMenuUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::platform();
    auto path = fuzz::writeScratch("Favorites.html", data, size);
    auto contents = WMenuUtils::readTextFile(path);
    if (!contents)
        return 0;
    WMenu menu;
    WMenuUtils::constructURLMenuWithFavorites(menu, *contents, "insertURL:");
    WMenuUtils::searchMenuItemOfMenu(menu, u"a");
    return 0;
}
