#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/WRange.h"
#include "text/WTextUtils.h"

// The error a script sees when it sets a property or runs a command of a
// document in a way the document refuses. Nothing has changed when one is given.
struct WScriptError {
    enum Kind {
        Generic,  // a value the property or command cannot take
        Range,    // a range that does not lie in the text
    };
    Kind kind = Generic;
    std::string message;

    friend bool operator==(const WScriptError&, const WScriptError&) = default;
};

// The names and the selection arithmetic behind a document's scripting
// properties, apart from any window.
class WDocumentScripting {
public:
    // "S-JIS", "EUC", "UTF-8", "UTF-16", "JIS"; "no encoding..." for any other value.
    static std::string encodingName(uint32_t encoding);

    // The selection after writing "selectionLocation" with p: (p, N), its
    // length shortened so that it ends with the text. Nothing when p lies
    // outside 0 to the text length.
    static std::optional<WRange> selectionWithLocation(WRange selection, uint32_t textLength, int64_t location);
    // The selection after writing "selectionLength" with n: (L, n). Nothing
    // when n is negative or would pass the end of the text.
    static std::optional<WRange> selectionWithLength(WRange selection, uint32_t textLength, int64_t length);
    // The range a "selectedrange" record stands for; nothing when either number
    // is negative or the range passes the end of the text.
    static std::optional<WRange> rangeInText(int64_t location, int64_t length, uint32_t textLength);

    // The message of the generic error for an accessor: "MyDocument - setEncoding".
    static WScriptError genericError(std::string_view accessor);
    static WScriptError rangeError();  // "Given Range is not Valid."
};
