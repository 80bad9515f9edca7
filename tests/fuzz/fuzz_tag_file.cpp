// The user's tag file, read as the tag menu reads it and applied to a menu.
#include <cstdint>

#include "FuzzSupport.h"
#include "menus/WMenu.h"
#include "menus/WMenuUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::platform();
    auto path = fuzz::writeScratch("UserDefinedTags.txt", data, size);
    auto contents = WMenuUtils::readTextFile(path);
    if (!contents)
        return 0;
    WMenu menu;
    WMenuUtils::constructTagMenu(menu, *contents, "insertMenuTag:");
    WMenuUtils::searchMenuItemOfMenu(menu, u"a");
    WMenuUtils::searchMenuItemWithTag(1, menu);
    return 0;
}
