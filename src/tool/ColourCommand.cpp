// wexel-tool colour --type NAME FILE: a standalone HTML page showing the text
// coloured as the editor colours it, with the shipped settings and the user's overrides.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
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

// The page goes out in blocks of a megabyte through one buffer that is written
// into directly: a 10 MB text makes a page of tens of megabytes, and going
// through std::string appends one character at a time costs more than the
// colouring itself.
class PageWriter {
public:
    PageWriter() : mBuffer(new char[kBlock + kSlack]) {}
    bool failed() const { return mFailed; }
    void append(std::string_view bytes) {
        if (bytes.size() > kSlack) {
            flush();
            write(bytes.data(), bytes.size());
            return;
        }
        std::memcpy(mBuffer.get() + mUsed, bytes.data(), bytes.size());
        mUsed += bytes.size();
        if (mUsed >= kBlock) flush();
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
        // A unit takes at most 5 bytes ("&amp;"), so a slice of kSlack / 5 units
        // always fits in the slack past the block.
        constexpr size_t kSlice = kSlack / 5 - 1;
        const char16_t* p = text.data();
        const char16_t* end = p + text.size();
        while (p < end) {
            const char16_t* stop = end - p > static_cast<ptrdiff_t>(kSlice) ? p + kSlice : end;
            // A surrogate pair is never cut between two slices.
            if (stop < end && stop[-1] >= 0xD800 && stop[-1] < 0xDC00) ++stop;
            mUsed = static_cast<size_t>(escape(p, stop, mBuffer.get() + mUsed) - mBuffer.get());
            if (mUsed >= kBlock) flush();
            p = stop;
        }
    }
    void flush() {
        write(mBuffer.get(), mUsed);
        mUsed = 0;
    }

private:
    static constexpr size_t kBlock = 1 << 20;
    static constexpr size_t kSlack = 64 * 1024;

    // Writes [p, end) as escaped UTF-8 at out; answers the end of what it wrote.
    static char* escape(const char16_t* p, const char16_t* end, char* out) {
        while (p < end) {
            char32_t c = *p++;
            if (c < 0x80) {
                switch (c) {
                case u'&': std::memcpy(out, "&amp;", 5); out += 5; break;
                case u'<': std::memcpy(out, "&lt;", 4); out += 4; break;
                case u'>': std::memcpy(out, "&gt;", 4); out += 4; break;
                case u'\r': *out++ = '\n'; break;
                default: *out++ = static_cast<char>(c);
                }
                continue;
            }
            if (c >= 0xD800 && c < 0xDC00 && p < end && *p >= 0xDC00 && *p < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
            } else if (c >= 0xD800 && c < 0xE000) {
                c = 0xFFFD;  // a lone surrogate cannot be written
            }
            if (c < 0x800) {
                *out++ = static_cast<char>(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                *out++ = static_cast<char>(0xE0 | (c >> 12));
                *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            } else {
                *out++ = static_cast<char>(0xF0 | (c >> 18));
                *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            }
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
        return out;
    }
    void write(const char* bytes, size_t size) {
        if (!mFailed && size > 0) mFailed = std::fwrite(bytes, 1, size, stdout) != size;
    }

    std::unique_ptr<char[]> mBuffer;
    size_t mUsed = 0;
    bool mFailed = false;
};

int runColour(std::span<char*> arguments) {
    std::optional<WSyntaxToolArguments> parsed = parseSyntaxToolArguments(arguments, kUsage, false);
    if (!parsed) return kToolUsage;
    if (parsed->type == WTextShellScript) {
        std::fprintf(stderr, "wexel-tool: the sh-script type is not coloured\n");
        return kToolUsage;
    }
    auto opened = openFileOrReport(parsed->file.c_str());
    if (!opened)
        return kToolFailure;
    WTextStorage storage;
    storage.takeString(std::move(opened->text));
    auto engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, parsed->type);
    // The page reads the colours twice, for its style sheet and for the text. Where
    // the engine can hand over a whole text's colours as it finds them (HTML), they
    // are found afresh for each walk: cheaper than storing a run per token only to
    // read it back. The other types are coloured into the storage and read from it.
    const bool fresh = engine->hasFreshRuns();
    if (!fresh) engine->adjustColorSyntaxWithRange({0, storage.length()}, nullptr);
    auto forEachRun = [&](auto&& fn) {
        if (fresh) {
            engine->forEachFreshRun(fn);
            return;
        }
        storage.forEachRun(WAttributeName::ForegroundColor, {0, storage.length()},
                           [&](const WAttributeValue* value, WRange run) {
                               fn(value ? &std::get<WColor>(*value) : nullptr, run);
                           });
    };

    WColor paper{1, 1, 1, 1};
    WColor ink{0, 0, 0, 1};
    if (const WModeSettings* settings = engine->settings()) {
        paper = settings->backgroundColor().value_or(paper);
        ink = settings->baseColor().value_or(ink);
    }
    // Each colour the text uses becomes a class of the page's style sheet, numbered
    // in order of first use. Runs of one colour tend to recur close together, so the
    // last one matched is tried first.
    std::vector<WColor> colors;
    std::vector<std::string> openings;
    size_t lastClass = 0;
    auto classOf = [&](const WColor& color) {
        if (lastClass < colors.size() && colors[lastClass] == color) return lastClass;
        lastClass = static_cast<size_t>(std::find(colors.begin(), colors.end(), color) - colors.begin());
        if (lastClass == colors.size()) {
            colors.push_back(color);
            openings.push_back("<span class=\"c" + std::to_string(lastClass) + "\">");
        }
        return lastClass;
    };
    forEachRun([&](const WColor* color, WRange) {
        if (color) classOf(*color);
    });
    const std::u16string& text = storage.string();
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
    forEachRun([&](const WColor* color, WRange run) {
        std::u16string_view piece(text.data() + run.location, run.length);
        if (!color) {
            page.appendEscaped(piece);
            return;
        }
        page.append(openings[classOf(*color)]);
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
