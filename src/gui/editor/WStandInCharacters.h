#pragma once

#include <QString>
#include <QTextCharFormat>

#include <cstdint>
#include <string>
#include <string_view>

class QTextCursor;
class QTextDocument;

// QTextDocument cannot hold a few code units as themselves: LF and U+2029 become
// block breaks, U+FDD0 and U+FDD1 frame markers. Each of them is kept in the
// document as one visible stand-in character whose format remembers the true
// unit, so that a position in the view is a position in the text, and undo and
// redo bring the true unit back with the format they restore. CR is the block
// break itself.
class WStandInCharacters {
public:
    // The character format property that holds the true code unit.
    static constexpr int kTrueUnitProperty = QTextFormat::UserProperty + 0x5758;

    static bool needsStandIn(char16_t unit)
    {
        return unit == u'\n' || unit == 0x2029 || unit == 0xFDD0 || unit == 0xFDD1;
    }
    // What the view shows in place of a unit that needs a stand-in.
    static char16_t standInFor(char16_t unit);

    // Puts CR-form text in at the cursor, replacing its selection, as one edit:
    // CR becomes a block break and every unit that needs one a stand-in.
    // Everything takes the cursor's character format, without any stand-in mark.
    static void insert(QTextCursor& cursor, std::u16string_view text);

    // The true text (CR form) of a stretch of the document.
    static std::u16string read(const QTextDocument& document, uint32_t position, uint32_t length);

    // The units as a QString, as they are (no byte-order guessing).
    static QString toQString(std::u16string_view text)
    {
        return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
    }
    static std::u16string_view toView(const QString& text)
    {
        return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
    }

    // The format for ordinary text: without a stand-in mark (which text typed
    // just after a stand-in would otherwise take over) and without an object.
    static QTextCharFormat withoutMark(QTextCharFormat format)
    {
        format.clearProperty(kTrueUnitProperty);
        format.clearProperty(QTextFormat::ObjectType);
        return format;
    }
};
