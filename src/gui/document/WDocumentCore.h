#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/WDocumentData.h"
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
std::optional<WFileBytes> readFile(const QString& path, QString* errorMessage);
// Detects, decodes (falling back to Shift JIS) and converts to CR form; nothing,
// with a sentence naming the file, when the bytes decode neither way.
std::optional<WOpenedText> openBytes(std::span<const uint8_t> bytes, const QString& path, QString* errorMessage);
// Decodes in that encoding only, for the forced reload.
std::optional<std::u16string> reloadBytes(std::span<const uint8_t> bytes, uint32_t encoding, const QString& path,
                                          QString* errorMessage);
// The text (CR form) as the file's bytes, or where it cannot be encoded with a
// sentence saying so.
WSavedText saveText(std::u16string_view text, uint32_t encoding, WReturnCodeType kind, QString* errorMessage);

// Whether both paths name one file (through links too); false when either is missing.
bool isSameFile(const QString& path, const QString& other);
// Replaces the file atomically; false with a sentence for the user.
bool writeFile(const QString& path, const std::vector<uint8_t>& bytes, QString* errorMessage);
// After a save: the creator and type codes when "store_text_type" is on, and the selection.
void writeFileAttributes(const QString& path, WRange selection);
// The selection kept with the file, when it lies within a text of that length.
std::optional<WRange> readSelectionAttribute(const QString& path, uint32_t textLength);

}  // namespace WDocumentCore
