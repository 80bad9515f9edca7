#include "platform/WFileAttributes.h"

#include "platform/WLog.h"

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Attributes we write are a few bytes; anything far larger is not ours.
constexpr size_t kLargestValue = 64 * 1024;

bool isUnsupported(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP;
}

void logFailure(std::string_view operation, std::string_view name, const fs::path& file, int error)
{
    WLog::write("WFileAttributes::" + std::string(operation) + " - " + std::string(name) + ": "
                + std::strerror(error) + " (" + file.string() + ")");
}

}  // namespace

std::optional<std::string> WFileAttributes::stringForAttribute(const fs::path& file, std::string_view name)
{
    const std::string attribute(name);
    // The value may change between asking its size and reading it; try again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        ssize_t size = ::getxattr(file.c_str(), attribute.c_str(), nullptr, 0);
        if (size < 0)
            break;
        if (static_cast<size_t>(size) > kLargestValue) {
            errno = E2BIG;
            break;
        }
        std::string value(static_cast<size_t>(size), '\0');
        ssize_t read = ::getxattr(file.c_str(), attribute.c_str(), value.data(), value.size());
        if (read >= 0) {
            value.resize(static_cast<size_t>(read));
            return value;
        }
        if (errno != ERANGE)
            break;
    }
    const int error = errno;
    // A missing attribute is the normal case, not a failure.
    if (error != ENODATA && !isUnsupported(error))
        logFailure("stringForAttribute", name, file, error);
    return std::nullopt;
}

bool WFileAttributes::setStringForAttribute(const fs::path& file, std::string_view name, std::string_view value)
{
    const std::string attribute(name);
    if (::setxattr(file.c_str(), attribute.c_str(), value.data(), value.size(), 0) == 0)
        return true;
    const int error = errno;
    if (isUnsupported(error))
        return true;
    logFailure("setStringForAttribute", name, file, error);
    return false;
}

bool WFileAttributes::removeAttribute(const fs::path& file, std::string_view name)
{
    const std::string attribute(name);
    if (::removexattr(file.c_str(), attribute.c_str()) == 0)
        return true;
    const int error = errno;
    if (error == ENODATA || isUnsupported(error))
        return true;
    logFailure("removeAttribute", name, file, error);
    return false;
}

std::optional<uint32_t> WFileAttributes::fourCharCodeForAttribute(const fs::path& file, std::string_view name)
{
    auto value = stringForAttribute(file, name);
    if (!value || value->size() != 4)
        return std::nullopt;
    return codeFromString(*value);
}

bool WFileAttributes::setFourCharCodeForAttribute(const fs::path& file, std::string_view name, uint32_t code)
{
    return setStringForAttribute(file, name, stringFromCode(code));
}

std::string WFileAttributes::stringFromCode(uint32_t code)
{
    return {static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
            static_cast<char>(code)};
}

std::optional<uint32_t> WFileAttributes::creatorCode(const fs::path& file)
{
    return fourCharCodeForAttribute(file, creatorCodeName);
}

std::optional<uint32_t> WFileAttributes::typeCode(const fs::path& file)
{
    return fourCharCodeForAttribute(file, typeCodeName);
}

bool WFileAttributes::setCreatorAndTypeCodes(const fs::path& file, uint32_t creator, uint32_t type)
{
    const bool creatorStored = setFourCharCodeForAttribute(file, creatorCodeName, creator);
    const bool typeStored = setFourCharCodeForAttribute(file, typeCodeName, type);
    return creatorStored && typeStored;
}

std::string WFileAttributes::stringFromRange(WRange range)
{
    return "{" + std::to_string(range.location) + ", " + std::to_string(range.length) + "}";
}

std::optional<WRange> WFileAttributes::rangeFromString(std::string_view text)
{
    uint32_t numbers[2] = {};
    size_t found = 0;
    size_t i = 0;
    while (found < 2 && i < text.size()) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        uint64_t value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            value = value * 10 + static_cast<uint64_t>(text[i] - '0');
            if (value > UINT32_MAX)
                return std::nullopt;
        }
        numbers[found++] = static_cast<uint32_t>(value);
    }
    if (found < 2)
        return std::nullopt;
    return WRange{numbers[0], numbers[1]};
}

bool WFileAttributes::setSelectedRange(const fs::path& file, WRange range)
{
    return setStringForAttribute(file, selectedRangeName, stringFromRange(range));
}

std::optional<WRange> WFileAttributes::selectedRangeWithin(const fs::path& file, uint32_t textLength)
{
    auto stored = stringForAttribute(file, selectedRangeName);
    if (!stored)
        return std::nullopt;
    auto range = rangeFromString(*stored);
    // Compare without adding, so a huge location cannot wrap round into the text.
    if (!range || range->location > textLength || range->length > textLength - range->location)
        return std::nullopt;
    return range;
}
