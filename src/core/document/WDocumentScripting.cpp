#include "document/WDocumentScripting.h"

#include "text/WEncoding.h"

std::string WDocumentScripting::encodingName(uint32_t encoding)
{
    if (!WEncoding::isDocumentEncoding(encoding))
        return "no encoding...";
    return std::string(WEncoding::name(static_cast<WStringEncoding>(encoding)));
}

std::optional<WRange> WDocumentScripting::selectionWithLocation(WRange selection, uint32_t textLength,
                                                                 int64_t location)
{
    if (location < 0 || location > textLength)
        return std::nullopt;
    const auto start = static_cast<uint32_t>(location);
    // Widened so that a selection near 2^32 cannot wrap around.
    const uint64_t end = uint64_t(start) + selection.length;
    const uint32_t length = end > textLength ? textLength - start : selection.length;
    return WRange{start, length};
}

std::optional<WRange> WDocumentScripting::selectionWithLength(WRange selection, uint32_t textLength,
                                                               int64_t length)
{
    if (length < 0 || selection.location > textLength || length > int64_t(textLength - selection.location))
        return std::nullopt;
    return WRange{selection.location, static_cast<uint32_t>(length)};
}

std::optional<WRange> WDocumentScripting::rangeInText(int64_t location, int64_t length, uint32_t textLength)
{
    if (location < 0 || length < 0 || location > textLength || length > int64_t(textLength) - location)
        return std::nullopt;
    return WRange{static_cast<uint32_t>(location), static_cast<uint32_t>(length)};
}

WScriptError WDocumentScripting::genericError(std::string_view accessor)
{
    return {WScriptError::Generic, "MyDocument - " + std::string(accessor)};
}

WScriptError WDocumentScripting::rangeError()
{
    return {WScriptError::Range, "Given Range is not Valid."};
}
