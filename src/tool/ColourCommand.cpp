// wexel-tool colour --type NAME FILE: a standalone HTML page showing the text
// coloured as the editor colours it, with the shipped settings and the user's overrides.
#include <cstdio>

#include "SyntaxToolSupport.h"
#include "WToolCommand.h"
#include "document/WDocumentData.h"
#include "platform/WLog.h"
#include "syntax/WColorSyntaxServer.h"
#include "text/WStringUtils.h"

namespace {

constexpr std::string_view kUsage = "colour --type Plain|X/HTML|Indexed|w-markup|CSS|perl|PHP|ruby FILE";

void appendHex(std::string& out, const WColor& color) {
    static const char digits[] = "0123456789abcdef";
    out += '#';
    for (float component : {color.red, color.green, color.blue}) {
        int v = static_cast<int>(component * 255.0f + 0.5f);
        v = v < 0 ? 0 : v > 255 ? 255 : v;
        out += digits[v >> 4];
        out += digits[v & 15];
    }
}

// UTF-8 of the text with the markup characters escaped and CR as the line end.
void appendEscaped(std::string& out, std::u16string_view text) {
    size_t from = 0;
    auto flush = [&](size_t to) {
        if (to > from) out += WStringUtils::toUtf8(text.substr(from, to - from));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char* replacement = nullptr;
        switch (text[i]) {
        case u'&': replacement = "&amp;"; break;
        case u'<': replacement = "&lt;"; break;
        case u'>': replacement = "&gt;"; break;
        case u'\r': replacement = "\n"; break;
        default: continue;
        }
        flush(i);
        out += replacement;
        from = i + 1;
    }
    flush(text.size());
}

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
    WTextStorage storage(opened->text);
    opened->text.clear();
    opened->text.shrink_to_fit();
    auto engine = WColorSyntaxServer::colorSyntaxServerWithTextStorage(&storage, parsed->type);
    engine->adjustColorSyntaxWithRange({0, storage.length()}, nullptr);

    WColor paper{1, 1, 1, 1};
    WColor ink{0, 0, 0, 1};
    if (const WModeSettings* settings = engine->settings()) {
        paper = settings->backgroundColor().value_or(paper);
        ink = settings->baseColor().value_or(ink);
    }
    std::string page;
    page.reserve(storage.length() * 2 + 4096);
    page += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>";
    appendEscaped(page, WStringUtils::fromUtf8(parsed->file));
    page += "</title></head>\n<body style=\"margin:0;background:";
    appendHex(page, paper);
    page += "\"><pre style=\"margin:0;padding:8px;font-family:monospace;color:";
    appendHex(page, ink);
    page += "\">";
    const std::u16string& text = storage.string();
    storage.enumerateAttribute(WAttributeName::ForegroundColor, {0, storage.length()},
                               [&](const WAttributeValue* value, WRange run) {
                                   std::u16string_view piece(text.data() + run.location, run.length);
                                   if (!value) {
                                       appendEscaped(page, piece);
                                       return;
                                   }
                                   page += "<span style=\"color:";
                                   appendHex(page, std::get<WColor>(*value));
                                   page += "\">";
                                   appendEscaped(page, piece);
                                   page += "</span>";
                               });
    page += "</pre></body></html>\n";
    return writeToStandardOutput(page) ? kToolSuccess : kToolFailure;
}

WToolCommand::Registration registration("colour", kUsage, runColour);

}  // namespace
