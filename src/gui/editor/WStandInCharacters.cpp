#include "editor/WStandInCharacters.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

bool mayBeStandIn(char16_t unit)
{
    return unit == 0x240A || unit == 0x00B6 || unit == 0xFFFD;
}

// A run without stand-ins, its CRs as the line ends Qt makes blocks of.
QString blockText(std::u16string_view run)
{
    QString text = WStandInCharacters::toQString(run);
    text.replace(QChar(u'\r'), QChar(u'\n'));
    return text;
}

}  // namespace

char16_t WStandInCharacters::standInFor(char16_t unit)
{
    switch (unit) {
    case u'\n': return 0x240A;   // SYMBOL FOR LINE FEED
    case 0x2029: return 0x00B6;  // PILCROW SIGN
    default: return 0xFFFD;      // the two noncharacters Qt uses as frame markers
    }
}

void WStandInCharacters::insert(QTextCursor& cursor, std::u16string_view text)
{
    const QTextCharFormat plain = withoutMark(cursor.charFormat());
    if (std::none_of(text.begin(), text.end(), needsStandIn)) {
        cursor.insertText(blockText(text), plain);
        return;
    }
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !needsStandIn(text[i]))
            continue;
        if (i > start)
            cursor.insertText(blockText(text.substr(start, i - start)), plain);
        if (i < text.size()) {
            QTextCharFormat marked = plain;
            marked.setProperty(kTrueUnitProperty, static_cast<int>(text[i]));
            cursor.insertText(QString(QChar(standInFor(text[i]))), marked);
        }
        start = i + 1;
    }
    cursor.endEditBlock();
}

std::u16string WStandInCharacters::read(const QTextDocument& document, uint32_t position, uint32_t length)
{
    if (length == 0)
        return {};
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(static_cast<int>(position));
    cursor.setPosition(static_cast<int>(position + length), QTextCursor::KeepAnchor);
    // selectedText() gives the characters as stored, with U+2029 between blocks:
    // a true U+2029 is never stored as itself.
    const QString stored = cursor.selectedText();
    std::u16string text(toView(stored));
    bool candidates = false;
    for (char16_t& unit : text) {
        if (unit == 0x2029)
            unit = u'\r';
        else if (mayBeStandIn(unit))
            candidates = true;
    }
    if (!candidates)
        return text;

    // Only characters of marked fragments are stand-ins; a character typed after
    // one may share its format, so it must also be the mark's own stand-in.
    const uint32_t end = position + length;
    for (QTextBlock block = document.findBlock(static_cast<int>(position));
         block.isValid() && static_cast<uint32_t>(block.position()) < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const auto from = static_cast<uint32_t>(fragment.position());
            const uint32_t to = from + static_cast<uint32_t>(fragment.length());
            if (to <= position)
                continue;
            if (from >= end)
                break;
            const QVariant mark = fragment.charFormat().property(kTrueUnitProperty);
            if (!mark.isValid())
                continue;
            const auto unit = static_cast<char16_t>(mark.toInt());
            if (!needsStandIn(unit))
                continue;
            const char16_t shown = standInFor(unit);
            for (uint32_t at = std::max(from, position); at < std::min(to, end); ++at) {
                if (text[at - position] == shown)
                    text[at - position] = unit;
            }
        }
    }
    return text;
}
