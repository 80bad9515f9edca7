#include "document/WDocumentData.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/WLog.h"
#include "text/WStringUtils.h"

namespace {

std::string inQuotes(std::string_view name)
{
    return "\xE2\x80\x9C" + std::string(name) + "\xE2\x80\x9D";
}

bool fail(std::string* errorMessage, std::string message)
{
    WLog::write("WDocumentData: " + message);
    if (errorMessage)
        *errorMessage = std::move(message);
    return false;
}

struct FileDescriptor {
    int fd;
    explicit FileDescriptor(int fd) : fd(fd) {}
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::string unreadableMessage(const std::string& name, int error)
{
    switch (error) {
    case ENOENT:
        return "The file " + name + " could not be opened because it does not exist (it may have been moved or deleted).";
    case EACCES:
    case EPERM: return "The file " + name + " could not be opened because you do not have permission to read it.";
    case EISDIR: return name + " is a folder, not a file, so it cannot be opened as text.";
    case ENOMEM: return "The file " + name + " could not be opened because there is not enough memory.";
    default: return "The file " + name + " could not be read: " + std::strerror(error) + ".";
    }
}

std::string sizeText(uint64_t bytes)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f GB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
    return buffer;
}

bool isTrailSurrogate(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

std::optional<std::vector<uint8_t>> WDocumentData::readFile(const std::filesystem::path& path,
                                                            std::string* errorMessage)
{
    const std::string name = inQuotes(path.string());
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.fd < 0) {
        fail(errorMessage, unreadableMessage(name, errno));
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        fail(errorMessage, unreadableMessage(name, errno));
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        fail(errorMessage, unreadableMessage(name, EISDIR));
        return std::nullopt;
    }
    // Devices and pipes have no end to read to.
    if (!S_ISREG(info.st_mode)) {
        fail(errorMessage, name + " is not a regular file, so it cannot be opened as text.");
        return std::nullopt;
    }
    auto tooLarge = [&](uint64_t size) {
        fail(errorMessage, "The file " + name + " is too large to open: it holds " + sizeText(size)
                               + ", and the largest file this editor opens is 2 GB.");
        return std::nullopt;
    };
    if (static_cast<uint64_t>(info.st_size) > kLargestFileSize)
        return tooLarge(static_cast<uint64_t>(info.st_size));

    std::vector<uint8_t> bytes;
    try {
        // One byte more than the size tells whether the file grew meanwhile.
        bytes.resize(static_cast<size_t>(info.st_size) + 1);
    } catch (const std::bad_alloc&) {
        fail(errorMessage, unreadableMessage(name, ENOMEM));
        return std::nullopt;
    }
    size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (bytes.size() > kLargestFileSize)
                return tooLarge(bytes.size());
            bytes.resize(std::min<uint64_t>(bytes.size() * 2, kLargestFileSize + 1));
        }
        ssize_t got = ::read(file.fd, bytes.data() + have, bytes.size() - have);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(errorMessage, unreadableMessage(name, errno));
            return std::nullopt;
        }
        if (got == 0)
            break;
        have += static_cast<size_t>(got);
    }
    if (have > kLargestFileSize)
        return tooLarge(have);
    bytes.resize(have);
    return bytes;
}

std::optional<WOpenedText> WDocumentData::openData(std::span<const uint8_t> bytes, std::string_view fileName,
                                                   std::string* errorMessage)
{
    WOpenedText opened;
    opened.encoding = bytes.empty() ? WShiftJISEncoding : WTextUtils::detectCharacterCodeType(bytes);
    auto text = WEncoding::decode(bytes, opened.encoding);
    if (!text && opened.encoding != WShiftJISEncoding) {
        opened.encoding = WShiftJISEncoding;
        text = WEncoding::decode(bytes, WShiftJISEncoding);
    }
    // Detection takes FF FE for EUC evidence; when that fails too, a little-endian
    // UTF-16 file with its mark is still better read as what it is than refused.
    if (!text && bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        opened.encoding = WUTF16Encoding;
        text = WEncoding::decode(bytes, WUTF16Encoding);
    }
    if (!text) {
        auto detected = WTextUtils::detectCharacterCodeType(bytes);
        std::string why = detected == WShiftJISEncoding
                              ? "its bytes are not valid Shift JIS text"
                              : "its bytes are valid text neither in " + std::string(encodingTitle(detected))
                                    + ", the encoding they look like, nor in Shift JIS";
        fail(errorMessage, "The file " + inQuotes(fileName) + " could not be opened: " + why + ".");
        return std::nullopt;
    }
    opened.text = std::move(*text);
    WStringUtils::convertReturnsToCRInPlace(opened.text, &opened.returnCodeType);
    return opened;
}

std::optional<WOpenedText> WDocumentData::openFile(const std::filesystem::path& path, std::string* errorMessage)
{
    auto bytes = readFile(path, errorMessage);
    if (!bytes)
        return std::nullopt;
    return openData(*bytes, path.string(), errorMessage);
}

std::optional<std::u16string> WDocumentData::reloadData(std::span<const uint8_t> bytes, WStringEncoding encoding,
                                                        std::string_view fileName, std::string* errorMessage)
{
    auto text = WEncoding::decode(bytes, encoding);
    if (!text) {
        fail(errorMessage, "The file " + inQuotes(fileName) + " could not be read as " + std::string(encodingTitle(encoding))
                               + "; the text was left as it was.");
        return std::nullopt;
    }
    WStringUtils::convertReturnsToCRInPlace(*text, nullptr);
    return text;
}

WSavedText WDocumentData::saveText(std::u16string_view text, WStringEncoding encoding, WReturnCodeType kind)
{
    WSavedText saved;
    auto encoded = kind == WCR_type ? WEncoding::encode(text, encoding)
                                    : WEncoding::encode(WStringUtils::convertReturnsFromCR(text, kind), encoding);
    if (!encoded.error) {
        saved.bytes = std::move(encoded.bytes);
        return saved;
    }
    // Line ends are encodable everywhere, so the same character fails in the CR
    // form; encoding that again gives its index in the text the user sees.
    if (kind != WCR_type) {
        auto again = WEncoding::encode(text, encoding);
        if (again.error)
            encoded.error = again.error;
    }
    uint32_t index = std::min<uint32_t>(encoded.error->index, text.empty() ? 0 : uint32_t(text.size() - 1));
    WSaveFailure failure;
    failure.character = encoded.error->character;
    failure.range = {index, failure.character > 0xFFFF ? 2u : 1u};
    uint32_t lineStart = 0;
    for (uint32_t i = 0; i < index; ++i) {
        char16_t u = text[i];
        if (u == u'\r' || u == u'\n' || u == 0x2028 || u == 0x2029) {
            ++failure.line;
            lineStart = i + 1;
        }
    }
    for (uint32_t i = lineStart; i < index; ++i) {
        if (!(isTrailSurrogate(text[i]) && i > lineStart && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF))
            ++failure.column;
    }
    saved.failure = failure;
    return saved;
}

std::string WDocumentData::saveFailureMessage(const WSaveFailure& failure, WStringEncoding encoding)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(failure.character));
    std::string shown;
    bool printable = failure.character >= 0x20 && !(failure.character >= 0xD800 && failure.character <= 0xDFFF)
                     && failure.character != 0x7F;
    if (printable) {
        std::u16string one;
        if (failure.character > 0xFFFF) {
            char32_t c = failure.character - 0x10000;
            one = {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
        } else {
            one = {static_cast<char16_t>(failure.character)};
        }
        shown = inQuotes(WStringUtils::toUtf8(one)) + " (" + code + ")";
    } else {
        shown = code;
    }
    return "The text cannot be saved in " + std::string(encodingTitle(encoding)) + ": the character " + shown
           + " on line " + std::to_string(failure.line) + ", column " + std::to_string(failure.column)
           + " has no form in that encoding.";
}

std::string_view WDocumentData::encodingTitle(WStringEncoding encoding)
{
    switch (encoding) {
    case WShiftJISEncoding: return "Shift JIS";
    case WJISEncoding: return "JIS (ISO-2022-JP)";
    case WEUCEncoding: return "EUC-JP";
    case WUTF8Encoding: return "UTF-8";
    case WUTF16Encoding: return "UTF-16";
    }
    return "an unknown encoding";
}
