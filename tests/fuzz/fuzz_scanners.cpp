// The scanners of every text type, then edits recoloured one by one as the
// document recolours typing, compared with colouring the final text afresh.
//
// Input: one byte for the text type, then pieces separated by 0xFF: the first
// is the text, every later one an edit (two bytes of position, one of length
// to replace, then the new text). Bytes below 0x80 stand for themselves; the
// others for characters the scanners treat specially.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ForegroundRuns.h"
#include "FuzzSupport.h"
#include "syntax/WColorSyntaxServer.h"
#include "syntax/WTextStorage.h"

namespace {

constexpr char16_t kWide[] = {u'\u3042', u'\u3000', u'\u2028', u'\u2029', u'\uFEFF', char16_t(0xD83D), char16_t(0xDE00),
                              u'\u00A0', u'\u0301', u'\uFF1C', u'\uFF1E', u'\u00E9'};

std::u16string textOf(const uint8_t* data, size_t size)
{
    std::u16string text;
    for (size_t i = 0; i < size; ++i)
        text.push_back(data[i] < 0x80 ? char16_t(data[i]) : kWide[data[i] % std::size(kWide)]);
    return text;
}

void colourAfresh(WTextStorage& storage, std::unique_ptr<WColorSyntaxServer>& engine, int32_t type,
                  const WFont& font)
{
    storage.removeAttribute(WAttributeName::ForegroundColor, {0, storage.length()});
    engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, type);
    engine->adjustColorSyntaxWithRange({0, storage.length()}, &font);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::platform();
    if (size < 1)
        return 0;
    const int32_t type = 1 + data[0] % 8;
    const WFont font{"Monospace", 12};

    std::vector<std::pair<const uint8_t*, size_t>> pieces;
    const uint8_t* start = data + 1;
    for (const uint8_t* p = start; p <= data + size; ++p)
        if (p == data + size || *p == 0xFF) {
            pieces.push_back({start, size_t(p - start)});
            start = p + 1;
        }

    WTextStorage storage(textOf(pieces[0].first, pieces[0].second));
    std::unique_ptr<WColorSyntaxServer> engine;
    colourAfresh(storage, engine, type, font);

    for (size_t i = 1; i < pieces.size(); ++i) {
        auto [bytes, length] = pieces[i];
        if (length < 3)
            continue;
        uint32_t at = (uint32_t(bytes[0]) << 8 | bytes[1]) % (storage.length() + 1);
        uint32_t replacing = std::min<uint32_t>(bytes[2] % 16, storage.length() - at);
        std::u16string inserted = textOf(bytes + 3, length - 3);
        storage.replaceCharactersInRange({at, replacing}, inserted);
        engine->adjustColorSyntaxWithRange({at, uint32_t(inserted.size())}, &font);
    }

    const std::u16string& text = storage.string();
    if (WColorSyntaxServer::scriptRules(type) || type == WColorSyntaxServer::kHTML) {
        for (const auto& [name, ranges] : WColorSyntaxServer::scanClasses(text, {0, storage.length()}, type,
                                                                          nullptr))
            for (const WRangeObj& range : ranges)
                FUZZ_CHECK(range.maxRange() <= text.size() && range.location() <= range.maxRange());
    }

    WTextStorage fresh(text);
    std::unique_ptr<WColorSyntaxServer> freshEngine;
    colourAfresh(fresh, freshEngine, type, font);
    if (foregroundRuns(storage) != foregroundRuns(fresh)) {
        std::fprintf(stderr, "type %d: the edited text is coloured differently from the same text coloured afresh\n",
                     type);
        for (const WTextStorage* s : {&storage, &fresh}) {
            for (const auto& [range, color] : foregroundRuns(*s))
                std::fprintf(stderr, " %u+%u:%06X", range.location, range.length,
                             color ? unsigned(color->red * 255) << 16 | unsigned(color->green * 255) << 8 |
                                         unsigned(color->blue * 255)
                                   : 0xFFFFFFu);
            std::fprintf(stderr, "\n");
        }
        FUZZ_CHECK(!"incremental colouring equals fresh colouring");
    }
    return 0;
}
