#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/WEncoding.h"
#include "text/WRange.h"
#include "text/WTextUtils.h"

// The whole of a file in memory. Large files are read straight into fresh pages
// without clearing them first, since opening reads hundreds of megabytes.
class WFileBytes {
public:
    WFileBytes() = default;
    const uint8_t* data() const { return mData.get(); }
    size_t size() const { return mSize; }
    bool empty() const { return mSize == 0; }
    const uint8_t* begin() const { return data(); }
    const uint8_t* end() const { return data() + mSize; }
    std::span<const uint8_t> bytes() const { return {data(), mSize}; }
    operator std::span<const uint8_t>() const { return bytes(); }
    std::vector<uint8_t> toVector() const { return {begin(), end()}; }

private:
    friend class WDocumentData;
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], Free> mData;
    size_t mSize = 0;
};

// The bytes of a file that are not text in the encoding it was read in.
struct WUndecodableBytes {
    uint64_t count = 0;        // how many
    uint64_t firstOffset = 0;  // of the first, from the start of the file
    uint32_t line = 1;         // of the first: 1-based, as WTextPosition counts
    uint32_t column = 1;       // 1-based, in characters
    WRange range;              // its U+FFFD in the CR-form text
};

// The text of a document as it comes out of a file's bytes.
struct WOpenedText {
    std::u16string text;  // CR form
    WStringEncoding encoding = WShiftJISEncoding;
    WReturnCodeType returnCodeType = WCR_type;
    std::optional<WUndecodableBytes> undecodable;  // only from openDataLeniently
};

// Where a text stops being encodable, in the terms a person looks for it.
struct WSaveFailure {
    char32_t character = 0;  // the first character the encoding cannot hold
    uint32_t line = 1;       // 1-based, counting CR, LF, U+2028 and U+2029 as breaks
    uint32_t column = 1;     // 1-based, in characters from the start of the line
    WRange range;            // of that character in the CR-form text (2 units for a surrogate pair)
};

struct WSavedText {
    std::vector<uint8_t> bytes;  // empty when failure is set
    std::optional<WSaveFailure> failure;
};

// The bytes <-> text pipeline of a document, shared by the editor window and
// wexel-tool so that both open and save a file in exactly the same way.
// Failures answer nothing and, when a place is given, a sentence for the user.
class WDocumentData {
public:
    // Larger files are refused: positions in a text are below 2^31.
    static constexpr uint64_t kLargestFileSize = (uint64_t(1) << 31) - 1;

    // The whole of a regular file.
    static std::optional<WFileBytes> readFile(const std::filesystem::path& path, std::string* errorMessage = nullptr);

    // Opening: detect (Shift JIS for no bytes), decode, on failure decode as
    // Shift JIS, then convert to CR form and note the line-ending kind. When
    // neither decodes, nothing, and a message naming fileName.
    static std::optional<WOpenedText> openData(std::span<const uint8_t> bytes, std::string_view fileName,
                                               std::string* errorMessage = nullptr);
    // For the bytes openData refuses: decoded all the same in the encoding they
    // look like (UTF-16 when they begin with a little-endian mark), each byte
    // that is not text there shown as U+FFFD, with where the first one is.
    static WOpenedText openDataLeniently(std::span<const uint8_t> bytes);
    // What the window says about such a text: what is wrong, that it is
    // read-only, and where the first bad byte is.
    static std::string undecodableMessage(const WUndecodableBytes& bytes, WStringEncoding encoding);
    // What a bad byte is saved as: U+FFFD where the encoding has it (UTF-8,
    // UTF-16), else the geta mark U+3013, the stand-in of Japanese text.
    static char16_t replacementCharacter(WStringEncoding encoding);
    // Such a text as it is saved in encoding: each U+FFFD as that character.
    static std::u16string withReplacementCharacters(std::u16string_view text, WStringEncoding encoding);

    // The encoding and line-ending kind openData would answer, without keeping
    // the text (UTF-8, the common case, is only checked, not decoded).
    struct WOpenedForm {
        WStringEncoding encoding = WShiftJISEncoding;
        WReturnCodeType returnCodeType = WCR_type;
    };
    static std::optional<WOpenedForm> openedForm(std::span<const uint8_t> bytes, std::string_view fileName,
                                                 std::string* errorMessage = nullptr);
    // readFile, then openData.
    static std::optional<WOpenedText> openFile(const std::filesystem::path& path, std::string* errorMessage = nullptr);

    // The forced reload: decode in the chosen encoding only (no detection, no
    // fallback) and convert to CR form; the document keeps its line-ending kind.
    static std::optional<std::u16string> reloadData(std::span<const uint8_t> bytes, WStringEncoding encoding,
                                                    std::string_view fileName, std::string* errorMessage = nullptr);

    // Saving: convert the CR-form text to the kind, then encode strictly.
    static WSavedText saveText(std::u16string_view text, WStringEncoding encoding, WReturnCodeType kind);
    // "The text cannot be saved in Shift JIS: the character “…” (U+2460) on line 3,
    // column 5 has no form in that encoding."
    static std::string saveFailureMessage(const WSaveFailure& failure, WStringEncoding encoding);

    // "Shift JIS", "JIS (ISO-2022-JP)", "EUC-JP", "UTF-8", "UTF-16": for messages.
    static std::string_view encodingTitle(WStringEncoding encoding);
};
