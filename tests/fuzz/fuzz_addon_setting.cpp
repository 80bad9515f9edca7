// What an add-on leaves behind for the editor to read: its setting file
// ("FUNC=..."), rewritten with any bytes, and a desktop entry's Exec line.
#include <cstdint>

#include "FuzzSupport.h"
#include "addons/WAddon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::platform();
    auto setting = fuzz::writeScratch("setting.txt", data, size);
    if (std::optional<std::u16string> text = WAddon::readTmpFile(setting))
        WAddon::replaceTypeOfSetting(*text);

    auto entry = fuzz::writeScratch("entry.desktop", data, size);
    WAddon::desktopEntryCommand(entry);
    return 0;
}
