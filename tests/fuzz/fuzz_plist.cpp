// Property lists in XML and binary form: the preference file and the Safari
// bookmarks. Whatever reads must write as XML that reads back the same.
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "menus/WMenu.h"
#include "menus/WMenuUtils.h"
#include "prefs/WPlistSerialization.h"
#include "prefs/WPrefsServer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::platform();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto value = WPlistSerialization::propertyListFromData(bytes)) {
        std::string xml = WPlistSerialization::xmlDataFromPropertyList(*value);
        auto again = WPlistSerialization::propertyListFromData(xml);
        FUZZ_CHECK(again.has_value());
    }

    auto file = fuzz::writeScratch("Bookmarks.plist", data, size);
    WMenu menu;
    WMenuUtils::constructURLMenuWithSafariFile(menu, file, "insertURL:");

    // As the preference file: the store merges it over the defaults and writes it back.
    {
        WPrefsServer prefs(file);
    }
    return 0;
}
