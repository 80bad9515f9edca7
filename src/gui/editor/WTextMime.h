#pragma once

#include <QMimeData>

#include <optional>
#include <string>
#include <string_view>

// Text on the clipboard and in drags: a copy from a text view carries its exact
// code units beside the plain text other programs read, so that copying and
// pasting inside the editor changes nothing.
namespace WTextMime {

// The data for a copy of text (CR form): plain text with LF line ends, and the units as they are.
QMimeData* mimeDataFor(std::u16string_view text);
// The code units a copy from a text view put there, as they were; nothing for data from elsewhere.
std::optional<std::u16string> exactTextOf(const QMimeData& source);
// What a paste or drop of source puts in the text: the exact units of a copy
// from a text view, or the plain text of others with its lines ended in CR.
std::optional<std::u16string> textToInsert(const QMimeData& source);

}  // namespace WTextMime
