#include "document/WDocumentData.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/WFileMessages.h"
#include "platform/WLog.h"
#include "text/WStringUtils.h"
#include "text/WTextPosition.h"

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

// The line and column of index in text, into a place that has both.
template <typename Place>
void setLineAndColumn(Place& place, std::u16string_view text, size_t index)
{
    WTextPosition position(text);
    position.advanceTo(index);
    place.line = position.line();
    place.column = position.column();
}

std::string sizeText(uint64_t bytes)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f GB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
    return buffer;
}

}  // namespace

void WFileBytes::Free::operator()(uint8_t* p) const
{
    std::free(p);
}

namespace {
constexpr size_t kHugePage = size_t(2) << 20;

// Room for size bytes (plus one, to notice a file that grew), uncleared; large
// blocks ask for huge pages so that reading them faults a few pages, not thousands.
uint8_t* allocateUncleared(size_t size)
{
    if (size >= 4 * kHugePage) {
        size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
        void* block = std::aligned_alloc(kHugePage, rounded);
        if (block)
            ::madvise(block, rounded, MADV_HUGEPAGE);
        return static_cast<uint8_t*>(block);
    }
    return static_cast<uint8_t*>(std::malloc(std::max<size_t>(size, 1)));
}
}  // namespace

std::optional<WFileBytes> WDocumentData::readFile(const std::filesystem::path& path, std::string* errorMessage)
{
    const std::string name = inQuotes(path.string());
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.fd < 0) {
        fail(errorMessage, WFileMessages::cannotRead(errno, path));
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        fail(errorMessage, WFileMessages::cannotRead(errno, path));
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        fail(errorMessage, WFileMessages::cannotRead(EISDIR, path));
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

    // One byte more than the size tells whether the file grew meanwhile.
    size_t capacity = static_cast<size_t>(info.st_size) + 1;
    WFileBytes result;
    result.mData.reset(allocateUncleared(capacity));
    if (!result.mData) {
        fail(errorMessage, WFileMessages::cannotRead(ENOMEM, path));
        return std::nullopt;
    }
    size_t have = 0;
    for (;;) {
        if (have == capacity) {
            if (capacity > kLargestFileSize)
                return tooLarge(capacity);
            size_t grown = std::min<uint64_t>(capacity * 2, kLargestFileSize + 1);
            auto* bigger = static_cast<uint8_t*>(std::realloc(result.mData.get(), grown));
            if (!bigger) {
                fail(errorMessage, WFileMessages::cannotRead(ENOMEM, path));
                return std::nullopt;
            }
            result.mData.release();
            result.mData.reset(bigger);
            capacity = grown;
        }
        ssize_t got = ::read(file.fd, result.mData.get() + have, capacity - have);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(errorMessage, WFileMessages::cannotRead(errno, path));
            return std::nullopt;
        }
        if (got == 0)
            break;
        have += static_cast<size_t>(got);
    }
    if (have > kLargestFileSize)
        return tooLarge(have);
    result.mSize = have;
    return result;
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
    // Detection takes the lead bytes of four-byte UTF-8 sequences for EUC evidence
    // (it counts only two- and three-byte ones as UTF-8), so well-formed UTF-8
    // whose only non-ASCII characters lie beyond U+FFFF ends up here.
    if (!text && opened.encoding != WUTF8Encoding && WEncoding::isValidUtf8(bytes)) {
        opened.encoding = WUTF8Encoding;
        text = WEncoding::decode(bytes, WUTF8Encoding);
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

WOpenedText WDocumentData::openDataLeniently(std::span<const uint8_t> bytes)
{
    WOpenedText opened;
    const bool littleEndianMark = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    opened.encoding = bytes.empty()      ? WShiftJISEncoding
                      : littleEndianMark ? WUTF16Encoding
                                         : WTextUtils::detectCharacterCodeType(bytes);
    WEncoding::LenientText decoded = WEncoding::decodeLeniently(bytes, opened.encoding);
    opened.text = std::move(decoded.text);
    const std::optional<size_t> firstBad = decoded.firstBadIndex;
    // CR LF becomes one CR: the first U+FFFD moves back by the pairs before it.
    size_t pairs = 0;
    if (firstBad) {
        const std::u16string_view before = std::u16string_view(opened.text).substr(0, *firstBad);
        for (size_t at = before.find(u"\r\n"); at != std::u16string_view::npos; at = before.find(u"\r\n", at + 2))
            ++pairs;
    }
    WStringUtils::convertReturnsToCRInPlace(opened.text, &opened.returnCodeType);
    if (firstBad) {
        WUndecodableBytes bad;
        bad.count = decoded.badBytes;
        bad.firstOffset = decoded.firstBadOffset;
        const size_t index = *firstBad - pairs;
        bad.range = {static_cast<uint32_t>(index), 1};
        setLineAndColumn(bad, opened.text, index);
        opened.undecodable = bad;
    }
    return opened;
}

std::string WDocumentData::undecodableMessage(const WUndecodableBytes& bytes, WStringEncoding encoding)
{
    const std::string count = bytes.count == 1 ? "1 byte" : std::to_string(bytes.count) + " bytes";
    return "This file has " + count + " that " + (bytes.count == 1 ? "is" : "are")
           + " not valid text in any of the five encodings, so it is opened read-only, read as "
           + std::string(encodingTitle(encoding)) + " with each bad byte shown as \xEF\xBF\xBD. The first is on line "
           + std::to_string(bytes.line) + ", column " + std::to_string(bytes.column) + " (byte "
           + std::to_string(bytes.firstOffset + 1) + " of the file). Save As writes the text to another file.";
}

char16_t WDocumentData::replacementCharacter(WStringEncoding encoding)
{
    return encoding == WUTF8Encoding || encoding == WUTF16Encoding ? u'\uFFFD' : u'\u3013';
}

std::u16string WDocumentData::withReplacementCharacters(std::u16string_view text, WStringEncoding encoding)
{
    std::u16string saved(text);
    std::replace(saved.begin(), saved.end(), u'\uFFFD', replacementCharacter(encoding));
    return saved;
}

std::optional<WDocumentData::WOpenedForm> WDocumentData::openedForm(std::span<const uint8_t> bytes,
                                                                    std::string_view fileName,
                                                                    std::string* errorMessage)
{
    if (!bytes.empty() && WTextUtils::detectCharacterCodeType(bytes) == WUTF8Encoding && WEncoding::isValidUtf8(bytes)) {
        // In UTF-8 the bytes 0x0D and 0x0A are exactly the text's CR and LF.
        WOpenedForm form{WUTF8Encoding, WCR_type};
        const uint8_t* s = bytes.data();
        const uint8_t* end = s + bytes.size();
        if (std::memchr(s, '\n', bytes.size())) {
            form.returnCodeType = WLF_type;
            // One CR LF pair anywhere makes it CR-LF; LF-only text has no CR to stop at.
            for (const void* cr = std::memchr(s, '\r', bytes.size()); cr;) {
                const uint8_t* at = static_cast<const uint8_t*>(cr) + 1;
                if (at < end && *at == '\n') {
                    form.returnCodeType = WCRLF_type;
                    break;
                }
                cr = at < end ? std::memchr(at, '\r', static_cast<size_t>(end - at)) : nullptr;
            }
        }
        return form;
    }
    auto opened = openData(bytes, fileName, errorMessage);
    if (!opened)
        return std::nullopt;
    return WOpenedForm{opened->encoding, opened->returnCodeType};
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
    setLineAndColumn(failure, text, index);
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
