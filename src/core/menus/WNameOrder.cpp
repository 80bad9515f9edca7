#include "menus/WNameOrder.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// "sv_SE.UTF-8@euro" -> "sv_SE"; C and POSIX are the root collation.
std::string collationLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        std::string name(value);
        name = name.substr(0, name.find_first_of(".@"));
        return name == "C" || name == "POSIX" ? std::string() : name;
    }
    return {};
}

// Made again only when the locale changes.
const icu::Collator* collator()
{
    static std::string madeFor = "\x01";
    static std::unique_ptr<icu::Collator> made;
    const std::string name = collationLocaleName();
    if (name != madeFor) {
        UErrorCode status = U_ZERO_ERROR;
        made.reset(icu::Collator::createInstance(name.empty() ? icu::Locale::getRoot() : icu::Locale(name.c_str()),
                                                 status));
        if (U_FAILURE(status))
            made.reset();
        else
            made->setStrength(icu::Collator::TERTIARY);
        madeFor = name;
    }
    return made.get();
}

}  // namespace

bool WNameOrder::less(std::string_view a, std::string_view b)
{
    if (const icu::Collator* order = collator()) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult result =
            order->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                               icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
        if (U_SUCCESS(status) && result != UCOL_EQUAL)
            return result == UCOL_LESS;
    }
    return a < b;
}
