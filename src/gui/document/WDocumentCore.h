#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "text/WRange.h"
#include "text/WTextUtils.h"

// The document window's way into the core: files, the bytes <-> text pipeline,
// the preferences a document reads and the attributes kept with a file, in the
// terms the window needs (QString paths, sentences for the user).
namespace WDocumentCore {

struct Preferences {
    bool wordWrap = true;
    bool autoIndent = true;
    bool storeWindowStatus = true;
    std::string fontName;
    float fontSize = 12.0f;
};
// What a new document copies from the preference store.
Preferences documentPreferences();

// The whole file, or nothing with a sentence saying why (too big, unreadable, gone).
std::optional<std::vector<uint8_t>> readFile(const QString& path, QString* errorMessage);

struct OpenedText {
    std::u16string text;  // CR form
    uint32_t encoding = 0;
    WReturnCodeType returnCodeType = WCR_type;
};
// Detects the encoding (Shift JIS for no bytes), decodes, falls back to Shift
// JIS, converts to CR form. Nothing when the bytes decode neither way.
std::optional<OpenedText> openBytes(std::span<const uint8_t> bytes);

struct SaveFailure {
    WRange range;          // of the character in the text
    char32_t character = 0;
    uint32_t line = 0;     // 1-based
    uint32_t column = 0;   // 1-based
};
struct SavedText {
    std::vector<uint8_t> bytes;
    std::optional<SaveFailure> failure;
};
// The text (CR form) as the file's bytes in the encoding and line-ending kind.
SavedText saveText(std::u16string_view text, uint32_t encoding, WReturnCodeType kind);

// Replaces the file atomically; false with a sentence for the user.
bool writeFile(const QString& path, const std::vector<uint8_t>& bytes, QString* errorMessage);
// After a save: the creator and type codes when "store_text_type" is on, and the selection.
void writeFileAttributes(const QString& path, WRange selection);
// The selection kept with the file, when it lies within a text of that length.
std::optional<WRange> readSelectionAttribute(const QString& path, uint32_t textLength);

}  // namespace WDocumentCore
