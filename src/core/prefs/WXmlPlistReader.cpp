#include "prefs/WXmlPlistReader.h"

#include "prefs/WPlistSerialization.h"
#include "text/WEncoding.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

class Reader {
public:
    explicit Reader(std::string_view text) : mText(text) {}

    std::optional<WPlistValue> read()
    {
        if (!skipProlog())
            return std::nullopt;
        Tag tag;
        if (!nextTag(tag) || tag.closing)
            return std::nullopt;
        std::optional<WPlistValue> value;
        if (tag.name == "plist") {
            if (tag.empty)
                return std::nullopt;
            Tag inner;
            if (!nextTag(inner) || inner.closing)
                return std::nullopt;
            value = valueOf(inner, 1);
            Tag end;
            if (mBroken || !nextTag(end) || !end.closing || end.name != "plist")
                return std::nullopt;
        } else {
            value = valueOf(tag, 1);
        }
        if (mBroken)
            return std::nullopt;
        skipMisc();
        if (mBroken || mAt != mText.size())
            return std::nullopt;
        return value;
    }

private:
    struct Tag {
        std::string_view name;
        bool closing = false;
        bool empty = false;  // <true/>
    };

    bool fail()
    {
        mBroken = true;
        return false;
    }

    bool startsWith(std::string_view prefix) const { return mText.substr(mAt, prefix.size()) == prefix; }

    bool skipPast(std::string_view end)
    {
        const size_t found = mText.find(end, mAt);
        if (found == std::string_view::npos)
            return fail();
        mAt = found + end.size();
        return true;
    }

    // Blanks, comments and processing instructions between elements.
    void skipMisc()
    {
        for (;;) {
            while (mAt < mText.size() && isBlank(mText[mAt]))
                ++mAt;
            if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return;
            } else if (startsWith("<?")) {
                if (!skipPast("?>"))
                    return;
            } else {
                return;
            }
        }
    }

    bool skipProlog()
    {
        if (startsWith("\xEF\xBB\xBF"))
            mAt += 3;
        for (;;) {
            skipMisc();
            if (mBroken)
                return false;
            if (!startsWith("<!DOCTYPE"))
                return true;
            // The declaration may hold an internal subset in brackets.
            int brackets = 0;
            for (; mAt < mText.size(); ++mAt) {
                const char c = mText[mAt];
                if (c == '[')
                    ++brackets;
                else if (c == ']')
                    --brackets;
                else if (c == '>' && brackets <= 0)
                    break;
            }
            if (mAt == mText.size())
                return fail();
            ++mAt;
        }
    }

    // The next tag after blanks and comments; text in between makes the file broken.
    bool nextTag(Tag& tag)
    {
        skipMisc();
        if (mBroken || mAt >= mText.size() || mText[mAt] != '<')
            return fail();
        ++mAt;
        tag = Tag{};
        if (mAt < mText.size() && mText[mAt] == '/') {
            tag.closing = true;
            ++mAt;
        }
        const size_t nameStart = mAt;
        while (mAt < mText.size() && !isBlank(mText[mAt]) && mText[mAt] != '>' && mText[mAt] != '/')
            ++mAt;
        tag.name = mText.substr(nameStart, mAt - nameStart);
        if (tag.name.empty())
            return fail();
        // Attributes are skipped, quotes and all.
        char quote = 0;
        for (; mAt < mText.size(); ++mAt) {
            const char c = mText[mAt];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        if (mAt >= mText.size())
            return fail();
        tag.empty = !tag.closing && mText[mAt - 1] == '/';
        ++mAt;
        return true;
    }

    // The character data up to the element's end tag, entities resolved;
    // nothing (the file still sound) when it cannot be a value's text.
    std::optional<std::string> textUntilEnd(std::string_view name, int depth)
    {
        std::string text;
        bool usable = true;
        for (;;) {
            const size_t lt = mText.find('<', mAt);
            if (lt == std::string_view::npos) {
                fail();
                return std::nullopt;
            }
            usable = appendResolved(mText.substr(mAt, lt - mAt), text) && usable;
            mAt = lt;
            if (startsWith("<![CDATA[")) {
                mAt += 9;
                const size_t end = mText.find("]]>", mAt);
                if (end == std::string_view::npos) {
                    fail();
                    return std::nullopt;
                }
                text.append(mText.substr(mAt, end - mAt));
                mAt = end + 3;
            } else if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return std::nullopt;
            } else {
                break;
            }
        }
        Tag end;
        if (!nextTag(end))
            return std::nullopt;
        if (!end.closing || end.name != name) {
            // An element inside the text: the value is lost, the rest skipped.
            if (end.closing) {
                fail();
                return std::nullopt;
            }
            std::vector<std::string_view> open{name};
            if (!end.empty)
                open.push_back(end.name);
            skipOpen(std::move(open), depth);
            return std::nullopt;
        }
        if (!usable || text.find('\0') != std::string::npos
            || !WEncoding::isValidUtf8({reinterpret_cast<const uint8_t*>(text.data()), text.size()}))
            return std::nullopt;
        return text;
    }

    bool appendResolved(std::string_view raw, std::string& text)
    {
        bool usable = true;
        for (size_t i = 0; i < raw.size();) {
            const size_t amp = raw.find('&', i);
            text.append(raw.substr(i, amp == std::string_view::npos ? std::string_view::npos : amp - i));
            if (amp == std::string_view::npos)
                break;
            const size_t semicolon = raw.find(';', amp);
            if (semicolon == std::string_view::npos)
                return false;
            const std::string_view entity = raw.substr(amp + 1, semicolon - amp - 1);
            i = semicolon + 1;
            if (entity == "lt") text += '<';
            else if (entity == "gt") text += '>';
            else if (entity == "amp") text += '&';
            else if (entity == "quot") text += '"';
            else if (entity == "apos") text += '\'';
            else if (entity.size() > 1 && entity[0] == '#') {
                const bool hex = entity[1] == 'x' || entity[1] == 'X';
                std::string_view digits = entity.substr(hex ? 2 : 1);
                uint32_t code = 0;
                auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
                if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || code == 0
                    || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
                    usable = false;
                    continue;
                }
                appendUtf8(code, text);
            } else {
                usable = false;
            }
        }
        return usable;
    }

    static void appendUtf8(uint32_t code, std::string& text)
    {
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (code >> 18));
            text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // Skips what is left of an element whose start tag was read: its content
    // and its end tag. False (and the file broken) when the nesting is unsound.
    bool skipRest(const Tag& start, int depth)
    {
        if (start.empty)
            return true;
        return skipOpen({start.name}, depth);
    }

    // Skips to the end of the innermost of the open elements and of all around it.
    bool skipOpen(std::vector<std::string_view> open, int depth)
    {
        while (!open.empty()) {
            if (static_cast<int>(open.size()) + depth > WPlistSerialization::kDeepestNesting + 1)
                return fail();
            const size_t lt = mText.find('<', mAt);
            if (lt == std::string_view::npos)
                return fail();
            mAt = lt;
            if (startsWith("<![CDATA[")) {
                if (!skipPast("]]>"))
                    return false;
                continue;
            }
            if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return false;
                continue;
            }
            Tag tag;
            if (!nextTag(tag))
                return false;
            if (tag.closing) {
                if (tag.name != open.back())
                    return fail();
                open.pop_back();
            } else if (!tag.empty) {
                open.push_back(tag.name);
            }
        }
        return true;
    }

    std::optional<WPlistValue> valueOf(const Tag& tag, int depth)
    {
        const std::string_view name = tag.name;
        if (name == "true" || name == "false") {
            if (!skipRest(tag, depth))
                return std::nullopt;
            return WPlistValue(name == "true");
        }
        if (name == "array" || name == "dict") {
            if (depth > WPlistSerialization::kDeepestNesting) {
                fail();
                return std::nullopt;
            }
            if (name == "array")
                return arrayOf(tag, depth);
            return dictionaryOf(tag, depth);
        }
        std::optional<std::string> text;
        if (tag.empty)
            text = std::string();
        else
            text = textUntilEnd(name, depth);
        if (mBroken || !text)
            return std::nullopt;
        if (name == "string")
            return WPlistValue(std::move(*text));
        if (name == "integer")
            return integerOf(*text);
        if (name == "real")
            return realOf(*text);
        if (name == "date")
            return dateOf(*text);
        if (name == "data")
            return dataOf(*text);
        return std::nullopt;  // an element no property list has
    }

    std::optional<WPlistValue> arrayOf(const Tag& tag, int depth)
    {
        WPlistArray array;
        if (tag.empty)
            return WPlistValue(std::move(array));
        for (;;) {
            Tag item;
            if (!nextTag(item))
                return std::nullopt;
            if (item.closing) {
                if (item.name != "array")
                    fail();
                break;
            }
            if (auto value = valueOf(item, depth + 1))
                array.push_back(std::move(*value));
            if (mBroken)
                return std::nullopt;
        }
        if (mBroken)
            return std::nullopt;
        return WPlistValue(std::move(array));
    }

    std::optional<WPlistValue> dictionaryOf(const Tag& tag, int depth)
    {
        WDictionary dictionary;
        if (tag.empty)
            return WPlistValue(std::move(dictionary));
        for (;;) {
            Tag keyTag;
            if (!nextTag(keyTag))
                return std::nullopt;
            if (keyTag.closing) {
                if (keyTag.name != "dict")
                    fail();
                break;
            }
            if (keyTag.name != "key") {
                // A value without its key: it belongs to nothing.
                valueOf(keyTag, depth + 1);
                if (mBroken)
                    return std::nullopt;
                continue;
            }
            std::optional<std::string> key = keyTag.empty ? std::string() : textUntilEnd("key", depth + 1);
            if (mBroken)
                return std::nullopt;
            Tag valueTag;
            if (!nextTag(valueTag))
                return std::nullopt;
            if (valueTag.closing) {  // a key with no value ends the dictionary
                if (valueTag.name != "dict")
                    fail();
                break;
            }
            std::optional<WPlistValue> value = valueOf(valueTag, depth + 1);
            if (mBroken)
                return std::nullopt;
            if (key && value)
                dictionary.setObject(std::move(*value), *key);
        }
        if (mBroken)
            return std::nullopt;
        return WPlistValue(std::move(dictionary));
    }

    static std::string_view trimmed(std::string_view text)
    {
        while (!text.empty() && isBlank(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && isBlank(text.back()))
            text.remove_suffix(1);
        return text;
    }

    static std::optional<WPlistValue> integerOf(std::string_view text)
    {
        text = trimmed(text);
        if (!text.empty() && text.front() == '+')
            text.remove_prefix(1);
        const char* first = text.data();
        const char* last = text.data() + text.size();
        if (!text.empty() && text.front() == '-') {
            int64_t value = 0;
            auto [end, error] = std::from_chars(first, last, value);
            if (error != std::errc() || end != last)
                return std::nullopt;
            return WPlistValue(value);
        }
        // Unsigned values above the signed range keep their 64 bits.
        uint64_t value = 0;
        auto [end, error] = std::from_chars(first, last, value);
        if (text.empty() || error != std::errc() || end != last)
            return std::nullopt;
        return WPlistValue(static_cast<int64_t>(value));
    }

    static std::optional<WPlistValue> realOf(std::string_view text)
    {
        text = trimmed(text);
        if (!text.empty() && text.front() == '+')
            text.remove_prefix(1);
        double value = 0.0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        return WPlistValue(value);
    }

    // "2001-01-01T00:00:00Z", counted from that moment.
    static std::optional<WPlistValue> dateOf(std::string_view text)
    {
        text = trimmed(text);
        auto number = [&](size_t at, size_t length, int& out) {
            if (at + length > text.size())
                return false;
            auto [end, error] = std::from_chars(text.data() + at, text.data() + at + length, out);
            return error == std::errc() && end == text.data() + at + length;
        };
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':'
            || text[16] != ':' || text[19] != 'Z' || !number(0, 4, year) || !number(5, 2, month)
            || !number(8, 2, day) || !number(11, 2, hour) || !number(14, 2, minute) || !number(17, 2, second)
            || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
            return std::nullopt;
        const int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))
                             - daysFromCivil(2001, 1, 1);
        return WPlistValue(WPlistDate{static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second)});
    }

    static std::optional<WPlistValue> dataOf(std::string_view text)
    {
        WPlistData bytes;
        uint32_t bits = 0;
        int count = 0;
        bool padding = false;
        for (char c : text) {
            if (isBlank(c))
                continue;
            int sextet;
            if (c >= 'A' && c <= 'Z') sextet = c - 'A';
            else if (c >= 'a' && c <= 'z') sextet = c - 'a' + 26;
            else if (c >= '0' && c <= '9') sextet = c - '0' + 52;
            else if (c == '+') sextet = 62;
            else if (c == '/') sextet = 63;
            else if (c == '=') { padding = true; continue; }
            else return std::nullopt;
            if (padding)
                return std::nullopt;
            bits = (bits << 6) | static_cast<uint32_t>(sextet);
            if (++count == 4) {
                bytes.push_back(static_cast<uint8_t>(bits >> 16));
                bytes.push_back(static_cast<uint8_t>(bits >> 8));
                bytes.push_back(static_cast<uint8_t>(bits));
                bits = 0;
                count = 0;
            }
        }
        if (count == 1)
            return std::nullopt;
        if (count == 2) {
            bytes.push_back(static_cast<uint8_t>(bits >> 4));
        } else if (count == 3) {
            bytes.push_back(static_cast<uint8_t>(bits >> 10));
            bytes.push_back(static_cast<uint8_t>(bits >> 2));
        }
        return WPlistValue(std::move(bytes));
    }

    std::string_view mText;
    size_t mAt = 0;
    bool mBroken = false;
};

}  // namespace

std::optional<WPlistValue> WXmlPlistReader::read(std::string_view bytes)
{
    return Reader(bytes).read();
}
