// wexel-tool scan --type NAME [--keywords FILE] FILE: the colour classes the
// type's scanner finds in the whole text, as JSON, for people tuning keyword files.
#include <cstdio>

#include "SyntaxToolSupport.h"
#include "WToolCommand.h"
#include "document/WDocumentData.h"
#include "platform/WLog.h"
#include "syntax/WColorSyntaxServer.h"

namespace {

constexpr std::string_view kUsage = "scan --type X/HTML|CSS|perl|PHP|ruby [--keywords FILE] FILE";

const char* keywordFileOf(WTextType type) {
    switch (type) {
    case WTextCSS: return "css_keywords";
    case WTextPerlScript: return "perl_keywords";
    case WTextPHP: return "php_keywords";
    case WTextRubyScript: return "ruby_keywords";
    default: return nullptr;
    }
}

int runScan(std::span<char*> arguments) {
    std::optional<WSyntaxToolArguments> parsed = parseSyntaxToolArguments(arguments, kUsage, true);
    if (!parsed) return kToolUsage;
    if (parsed->type != WTextHTML && !WColorSyntaxServer::scriptRules(parsed->type)) {
        std::fprintf(stderr, "wexel-tool: the %s type has no scanner\n",
                     std::string(WTextTypeNames::scriptingName(parsed->type)).c_str());
        return kToolUsage;
    }
    auto opened = openFileOrReport(parsed->file.c_str());
    if (!opened)
        return kToolFailure;
    std::optional<std::vector<std::u16string>> keywords;
    if (parsed->keywordFile) {
        std::optional<std::u16string> text = WSettingFile::readTextFile(*parsed->keywordFile);
        if (!text) {
            std::fprintf(stderr, "wexel-tool: cannot read the keyword file %s\n", parsed->keywordFile->c_str());
            return kToolFailure;
        }
        keywords = WKeywords::keywordsFromString(*text);
    } else if (const char* name = keywordFileOf(parsed->type)) {
        keywords = WKeywords::keywordsWithFileOfName(name, "txt", u", \t\r\n")->keywords();
    }
    const std::u16string& text = opened->text;
    WRangeDictionary classes = WColorSyntaxServer::scanClasses(
        text, {0, static_cast<uint32_t>(text.size())}, parsed->type, keywords ? &*keywords : nullptr);
    return writeToStandardOutput(WColorSyntaxServer::classesAsJSON(classes)) ? kToolSuccess : kToolFailure;
}

WToolCommand::Registration registration("scan", kUsage, runScan);

}  // namespace
