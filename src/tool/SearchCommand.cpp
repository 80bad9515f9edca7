// wexel-tool search: the editor's find and replace-all on a UTF-8 file.
//
//   wexel-tool search find [-c] [--backward] PATTERN FILE
//       prints the first (last) occurrence as "location length" in UTF-16
//       code units, or "not found" with exit status 1
//   wexel-tool search replace-all [-c] PATTERN REPLACEMENT FILE
//       writes the new text to standard output and "Replaced N words" to
//       standard error
//
// Case is ignored unless -c (--match-case) is given, as in the find panel.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "WToolCommand.h"
#include "search/WSearchMatcher.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: wexel-tool search find [-c] [--backward] PATTERN FILE\n"
                 "       wexel-tool search replace-all [-c] PATTERN REPLACEMENT FILE\n");
    return kToolUsage;
}

// A large anonymous buffer, asking for huge pages: a 50 MB text in 4 KB
// pages costs tens of thousands of page faults, a good part of a search.
class LargeBuffer {
public:
    explicit LargeBuffer(size_t bytes) : mSize(bytes + kHuge)
    {
        void* p = ::mmap(nullptr, mSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return;
        mBase = p;
#ifdef MADV_HUGEPAGE
        ::madvise(mBase, mSize, MADV_HUGEPAGE);
#endif
        const auto address = reinterpret_cast<uintptr_t>(mBase);
        mData = reinterpret_cast<char*>((address + kHuge - 1) & ~(kHuge - 1));
    }
    ~LargeBuffer()
    {
        if (mBase)
            ::munmap(mBase, mSize);
    }
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    char* data() const { return mData; }

private:
    static constexpr size_t kHuge = size_t(2) << 20;
    size_t mSize;
    void* mBase = nullptr;
    char* mData = nullptr;
};

// Strict UTF-8 to UTF-16 into out (room for bytes.size() units); answers the
// number of units, or nothing on a malformed sequence. ASCII goes sixteen
// bytes at a time, as most files are mostly ASCII.
std::optional<size_t> decodeUtf8(std::string_view bytes, char16_t* out)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    char16_t* const first = out;
    size_t i = 0;
    while (i < n) {
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        while (i + 16 <= n) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            if (_mm_movemask_epi8(x))
                break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(x, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(x, zero));
            out += 16;
            i += 16;
        }
#endif
        if (i >= n)
            break;
        const unsigned char b = s[i];
        if (b < 0x80) {
            *out++ = b;
            ++i;
            continue;
        }
        char32_t c;
        size_t length;
        char32_t least;
        if (b >= 0xC2 && b <= 0xDF) {
            c = b & 0x1F, length = 2, least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            c = b & 0x0F, length = 3, least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            c = b & 0x07, length = 4, least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + length > n)
            return std::nullopt;
        for (size_t k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        if (c >= 0x10000) {
            c -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(c);
        }
        i += length;
    }
    return static_cast<size_t>(out - first);
}

// The number of bytes at the end of data that begin a UTF-8 sequence the
// data does not finish.
size_t unfinishedTail(const char* data, size_t size)
{
    for (size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto b = static_cast<unsigned char>(data[size - back]);
        if ((b & 0xC0) == 0x80)
            continue;  // a continuation byte: look further back for its lead
        const size_t needed = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return needed > back ? back : 0;
    }
    return 0;
}

// A UTF-8 file decoded into a large buffer. The file is read in pieces that
// stay in the cache while they are decoded.
class DecodedFile {
public:
    enum Status { Ok, Unreadable, Malformed, TooLong };

    Status load(const char* path)
    {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Unreadable;
        const Status status = loadFrom(fd);
        ::close(fd);
        return status;
    }
    std::u16string_view text() const { return {mUnits, mLength}; }

private:
    Status loadFrom(int fd)
    {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            return Unreadable;
        std::string whole;  // only for what has no size up front (a pipe)
        if (!S_ISREG(info.st_mode)) {
            char piece[1 << 16];
            ssize_t got;
            while ((got = ::read(fd, piece, sizeof piece)) > 0)
                whole.append(piece, static_cast<size_t>(got));
            if (got < 0)
                return Unreadable;
        }
        const size_t size = S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) : whole.size();
        if (size >= WNotFound)
            return TooLong;
        mBuffer = std::make_unique<LargeBuffer>((size + 1) * sizeof(char16_t));
        mUnits = reinterpret_cast<char16_t*>(mBuffer->data());
        if (!mUnits)
            return Unreadable;
        if (!S_ISREG(info.st_mode)) {
            const std::optional<size_t> length = decodeUtf8(whole, mUnits);
            mLength = length.value_or(0);
            return length ? Ok : Malformed;
        }
        constexpr size_t kPiece = size_t(1) << 18;
        std::vector<char> piece(kPiece + 4);
        size_t carried = 0;
        for (;;) {
            const ssize_t got = ::read(fd, piece.data() + carried, kPiece);
            if (got < 0)
                return Unreadable;
            if (got == 0)
                break;
            const size_t available = carried + static_cast<size_t>(got);
            const size_t complete = available - unfinishedTail(piece.data(), available);
            // A file that grew since it was measured does not overrun the buffer.
            if (mLength + complete > size)
                return Unreadable;
            const std::optional<size_t> length = decodeUtf8({piece.data(), complete}, mUnits + mLength);
            if (!length)
                return Malformed;
            mLength += *length;
            carried = available - complete;
            std::memmove(piece.data(), piece.data() + complete, carried);
        }
        return carried ? Malformed : Ok;
    }

    std::unique_ptr<LargeBuffer> mBuffer;
    char16_t* mUnits = nullptr;
    size_t mLength = 0;
};

std::optional<std::u16string> decodeArgument(const char* argument)
{
    const std::string_view bytes(argument);
    std::u16string text(bytes.size(), u'\0');
    const std::optional<size_t> length = decodeUtf8(bytes, text.data());
    if (!length) {
        std::fprintf(stderr, "wexel-tool search: %s is not UTF-8\n", argument);
        return std::nullopt;
    }
    text.resize(*length);
    return text;
}

// UTF-16 to UTF-8 on standard output, through a buffer; a stray surrogate
// becomes U+FFFD.
class Utf8Writer {
public:
    Utf8Writer() : mBuffer(kSize) {}
    ~Utf8Writer() { flush(); }

    void write(std::u16string_view text)
    {
        const size_t n = text.size();
        for (size_t i = 0; i < n; ++i) {
            if (mUsed + 4 > kSize)
                flush();
            char32_t c = text[i];
            if (c < 0x80) {
                mBuffer[mUsed++] = static_cast<char>(c);
                continue;
            }
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            else if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
            char* out = mBuffer.data() + mUsed;
            if (c < 0x800) {
                *out++ = static_cast<char>(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                *out++ = static_cast<char>(0xE0 | (c >> 12));
                *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            } else {
                *out++ = static_cast<char>(0xF0 | (c >> 18));
                *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            }
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
            mUsed = static_cast<size_t>(out - mBuffer.data());
        }
    }

    void flush()
    {
        size_t done = 0;
        while (done < mUsed) {
            const ssize_t wrote = ::write(STDOUT_FILENO, mBuffer.data() + done, mUsed - done);
            if (wrote < 0) {
                mFailed = true;
                break;
            }
            done += static_cast<size_t>(wrote);
        }
        mUsed = 0;
    }
    bool failed() const { return mFailed; }

private:
    static constexpr size_t kSize = size_t(1) << 20;
    std::vector<char> mBuffer;
    size_t mUsed = 0;
    bool mFailed = false;
};

int runSearch(std::span<char*> arguments)
{
    if (arguments.empty())
        return usage();
    const std::string_view verb = arguments[0];
    bool ignoreCase = true;
    WSearchDirection direction = WSearchForward;
    std::vector<const char*> operands;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view arg = arguments[i];
        if (arg == "--") {
            operands.insert(operands.end(), arguments.begin() + i + 1, arguments.end());
            break;
        }
        if (arg == "-c" || arg == "--match-case")
            ignoreCase = false;
        else if (arg == "--backward" && verb == "find")
            direction = WSearchBackward;
        else if (arg.size() > 1 && arg[0] == '-')
            return usage();
        else
            operands.push_back(arguments[i]);
    }
    const bool find = verb == "find" && operands.size() == 2;
    const bool replaceAll = verb == "replace-all" && operands.size() == 3;
    if (!find && !replaceAll)
        return usage();

    const std::optional<std::u16string> pattern = decodeArgument(operands[0]);
    const std::optional<std::u16string> replacement = replaceAll ? decodeArgument(operands[1]) : std::u16string();
    if (!pattern || !replacement)
        return kToolUsage;
    const char* path = operands.back();
    DecodedFile file;
    switch (file.load(path)) {
    case DecodedFile::Ok:
        break;
    case DecodedFile::Unreadable:
        std::fprintf(stderr, "wexel-tool search: cannot read %s\n", path);
        return kToolFailure;
    case DecodedFile::Malformed:
        std::fprintf(stderr, "wexel-tool search: %s is not UTF-8\n", path);
        return kToolFailure;
    case DecodedFile::TooLong:
        std::fprintf(stderr, "wexel-tool search: %s is too long\n", path);
        return kToolFailure;
    }
    const std::u16string_view text = file.text();
    const WSearchMatcher matcher(*pattern, ignoreCase);

    if (find) {
        const WRange found = matcher.find(text, {0, static_cast<uint32_t>(text.size())}, direction);
        if (found.location == WNotFound) {
            std::printf("not found\n");
            return kToolFailure;
        }
        std::printf("%u %u\n", found.location, found.length);
        return kToolSuccess;
    }
    Utf8Writer out;
    const uint32_t count = matcher.replaceAll(text, *replacement, [&](std::u16string_view piece) { out.write(piece); });
    out.flush();
    if (out.failed()) {
        std::fprintf(stderr, "wexel-tool search: cannot write the result\n");
        return kToolFailure;
    }
    std::fprintf(stderr, "Replaced %u words\n", count);
    return kToolSuccess;
}

WToolCommand::Registration registration("search",
                                        "search find [-c] [--backward] PATTERN FILE\n"
                                        "  wexel-tool search replace-all [-c] PATTERN REPLACEMENT FILE",
                                        runSearch);

}  // namespace
