// wexel-tool colour --type NAME FILE: a standalone HTML page showing the text
// coloured as the editor colours it, with the shipped settings and the user's overrides.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "SyntaxToolSupport.h"
#include "WToolCommand.h"
#include "document/WDocumentData.h"
#include "platform/WLog.h"
#include "syntax/WColorSyntaxServer.h"
#include "text/WStringUtils.h"

namespace {

constexpr std::string_view kUsage = "colour --type Plain|X/HTML|Indexed|w-markup|CSS|perl|PHP|ruby FILE";

// The page goes out in pieces of a megabyte: a 10 MB text makes a page of
// tens of megabytes that need never be held whole.
class PageWriter {
public:
    PageWriter() { mBuffer.reserve(kBlock + 256); }
    bool failed() const { return mFailed; }
    void append(std::string_view bytes) {
        mBuffer.append(bytes);
        if (mBuffer.size() >= kBlock) flush();
    }
    void appendHex(const WColor& color) {
        static const char digits[] = "0123456789abcdef";
        char hex[7] = {'#'};
        int k = 1;
        for (float component : {color.red, color.green, color.blue}) {
            int v = static_cast<int>(component * 255.0f + 0.5f);
            v = v < 0 ? 0 : v > 255 ? 255 : v;
            hex[k++] = digits[v >> 4];
            hex[k++] = digits[v & 15];
        }
        append({hex, 7});
    }
    // UTF-8 of the text with the markup characters escaped and CR as the line end.
    void appendEscaped(std::u16string_view text) {
        for (size_t i = 0; i < text.size(); ++i) {
            // Plain ASCII goes across in one stretch.
            size_t plain = i;
            while (plain < text.size() && text[plain] < 0x80 && text[plain] != u'&' && text[plain] != u'<' &&
                   text[plain] != u'>' && text[plain] != u'\r')
                ++plain;
            if (plain > i) {
                size_t at = mBuffer.size();
                mBuffer.resize(at + (plain - i));
                for (size_t k = i; k < plain; ++k) mBuffer[at + (k - i)] = static_cast<char>(text[k]);
                i = plain;
                if (i == text.size()) break;
            }
            char32_t c = text[i];
            if (c < 0x80) {
                switch (c) {
                case u'&': mBuffer += "&amp;"; break;
                case u'<': mBuffer += "&lt;"; break;
                case u'>': mBuffer += "&gt;"; break;
                case u'\r': mBuffer += '\n'; break;
                default: mBuffer += static_cast<char>(c);
                }
                continue;
            }
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            } else if (c >= 0xD800 && c < 0xE000) {
                c = 0xFFFD;  // a lone surrogate cannot be written
            }
            if (c < 0x800) {
                mBuffer += static_cast<char>(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                mBuffer += static_cast<char>(0xE0 | (c >> 12));
                mBuffer += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            } else {
                mBuffer += static_cast<char>(0xF0 | (c >> 18));
                mBuffer += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                mBuffer += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            }
            mBuffer += static_cast<char>(0x80 | (c & 0x3F));
            if (mBuffer.size() >= kBlock) flush();
        }
        if (mBuffer.size() >= kBlock) flush();
    }
    void flush() {
        if (!mFailed && !mBuffer.empty()) mFailed = std::fwrite(mBuffer.data(), 1, mBuffer.size(), stdout) != mBuffer.size();
        mBuffer.clear();
    }

private:
    static constexpr size_t kBlock = 1 << 20;
    std::string mBuffer;
    bool mFailed = false;
};

int runColour(std::span<char*> arguments) {
    std::optional<WSyntaxToolArguments> parsed = parseSyntaxToolArguments(arguments, kUsage, false);
    if (!parsed) return kToolUsage;
    if (parsed->type == WTextShellScript) {
        std::fprintf(stderr, "wexel-tool: the sh-script type is not coloured\n");
        return kToolUsage;
    }
    std::string message;
    std::optional<WOpenedText> opened = WDocumentData::openFile(parsed->file, &message);
    if (!opened) {
        std::fprintf(stderr, "wexel-tool: %s\n", message.c_str());
        return kToolFailure;
    }
    WTextStorage storage;
    storage.takeString(std::move(opened->text));
    auto engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, parsed->type);
    engine->adjustColorSyntaxWithRange({0, storage.length()}, nullptr);

    WColor paper{1, 1, 1, 1};
    WColor ink{0, 0, 0, 1};
    if (const WModeSettings* settings = engine->settings()) {
        paper = settings->backgroundColor().value_or(paper);
        ink = settings->baseColor().value_or(ink);
    }
    // Each colour the text uses becomes a class of the page's style sheet.
    std::vector<WColor> colors;
    const std::u16string& text = storage.string();
    storage.enumerateAttribute(WAttributeName::ForegroundColor, {0, storage.length()},
                               [&](const WAttributeValue* value, WRange) {
                                   if (value && std::find(colors.begin(), colors.end(), std::get<WColor>(*value)) ==
                                                    colors.end())
                                       colors.push_back(std::get<WColor>(*value));
                               });
    PageWriter page;
    page.append("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>");
    page.appendEscaped(WStringUtils::fromUtf8(parsed->file));
    page.append("</title>\n<style>\nbody { margin: 0; background: ");
    page.appendHex(paper);
    page.append("; }\npre { margin: 0; padding: 8px; font-family: monospace; color: ");
    page.appendHex(ink);
    page.append("; }\n");
    for (size_t i = 0; i < colors.size(); ++i) {
        page.append(".c" + std::to_string(i) + " { color: ");
        page.appendHex(colors[i]);
        page.append("; }\n");
    }
    page.append("</style></head>\n<body><pre>");
    storage.enumerateAttribute(WAttributeName::ForegroundColor, {0, storage.length()},
                               [&](const WAttributeValue* value, WRange run) {
                                   std::u16string_view piece(text.data() + run.location, run.length);
                                   if (!value) {
                                       page.appendEscaped(piece);
                                       return;
                                   }
                                   size_t index = std::find(colors.begin(), colors.end(), std::get<WColor>(*value)) -
                                                  colors.begin();
                                   page.append("<span class=\"c" + std::to_string(index) + "\">");
                                   page.appendEscaped(piece);
                                   page.append("</span>");
                               });
    page.append("</pre></body></html>\n");
    page.flush();
    if (page.failed() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "wexel-tool: could not write the output\n");
        return kToolFailure;
    }
    return kToolSuccess;
}

WToolCommand::Registration registration("colour", kUsage, runColour);

}  // namespace
