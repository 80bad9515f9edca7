// A file's bytes through the document pipeline: detection, strict decoding in
// each encoding, line ends, and the way back.
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "document/WDocumentData.h"
#include "text/WEncoding.h"
#include "text/WStringUtils.h"
#include "text/WTextUtils.h"

namespace {

constexpr WStringEncoding kEncodings[] = {WShiftJISEncoding, WJISEncoding, WEUCEncoding, WUTF8Encoding,
                                          WUTF16Encoding};
constexpr WReturnCodeType kKinds[] = {WCR_type, WLF_type, WCRLF_type};

bool hasLineFeed(std::u16string_view text) { return text.find(u'\n') != std::u16string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::platform();
    std::span<const uint8_t> bytes(data, size);

    WStringEncoding detected = WTextUtils::detectCharacterCodeType(bytes);
    FUZZ_CHECK(WEncoding::isDocumentEncoding(detected));
    WTextUtils::detectReturnCodeType(bytes);
    for (WReturnCodeType from : kKinds)
        for (WReturnCodeType to : kKinds)
            WTextUtils::convertReturnCode(bytes, from, to);

    auto opened = WDocumentData::openData(bytes, "fuzz.txt");
    auto form = WDocumentData::openedForm(bytes, "fuzz.txt");
    FUZZ_CHECK(opened.has_value() == form.has_value());
    if (opened) {
        FUZZ_CHECK(opened->encoding == form->encoding && opened->returnCodeType == form->returnCodeType);
        FUZZ_CHECK(!hasLineFeed(opened->text));
        // CR form survives a trip through every line-ending kind.
        for (WReturnCodeType kind : kKinds) {
            std::u16string out = WStringUtils::convertReturnsFromCR(opened->text, kind);
            FUZZ_CHECK(WStringUtils::convertReturnsToCR(out) == opened->text);
        }
        // What saves must open again as the same text.
        for (WReturnCodeType kind : kKinds) {
            WSavedText saved = WDocumentData::saveText(opened->text, opened->encoding, kind);
            if (saved.failure) {
                FUZZ_CHECK(saved.bytes.empty());
                WDocumentData::saveFailureMessage(*saved.failure, opened->encoding);
                continue;
            }
            auto again = WDocumentData::reloadData(saved.bytes, opened->encoding, "fuzz.txt");
            FUZZ_CHECK(again.has_value());
        }
    }

    for (WStringEncoding encoding : kEncodings) {
        auto text = WEncoding::decode(bytes, encoding);
        auto reloaded = WDocumentData::reloadData(bytes, encoding, "fuzz.txt");
        FUZZ_CHECK(text.has_value() == reloaded.has_value());
        if (!text)
            continue;
        WEncoding::EncodeResult encoded = WEncoding::encode(*text, encoding);
        if (encoded.error) {
            FUZZ_CHECK(encoded.error->index < text->size());
            continue;
        }
        FUZZ_CHECK(WEncoding::decode(encoded.bytes, encoding).has_value());
    }
    return 0;
}
