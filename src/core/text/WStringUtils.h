#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/WColor.h"
#include "text/WRange.h"
#include "text/WRangeObj.h"
#include "text/WTextUtils.h"

// Line-break statistics of a text.
struct WReturnCounts {
    int32_t cr = 0;
    int32_t lf = 0;
    int32_t crlf = 0;
    int32_t ls = 0;
    int32_t ps = 0;
};

// A tag-file command line, resolved.
struct WResolvedCommand {
    std::u16string command;
    std::u16string string;
};

using WRangeDictionary = std::map<std::string, WRangeArray>;

// Stateless string helpers. Every operation returns a new value and leaves its
// arguments alone.
class WStringUtils {
public:
    // Line ends.
    static std::u16string convertReturnsToCR(std::u16string_view text, WReturnCodeType* kindFound = nullptr);
    // The same, in the string itself: opening a large file needs no second copy.
    static void convertReturnsToCRInPlace(std::u16string& text, WReturnCodeType* kindFound = nullptr);
    static std::u16string convertReturnsFromCR(std::u16string_view text, WReturnCodeType kind);
    static uint32_t countLinesOfString(std::u16string_view text);
    static uint32_t countLinesOfString(std::u16string_view text, WRange range);
    static WReturnCounts countReturns(std::u16string_view text);
    // The column of a position, from 1, counting characters (a surrogate pair is
    // one) since the line end before it.
    static uint32_t columnOfPosition(std::u16string_view text, uint32_t position);
    // The same when the start of the position's line is known.
    static uint32_t columnOfPosition(std::u16string_view text, uint32_t position, uint32_t lineStart);
    // The line ends that are not CR (LF, U+2028, U+2029): a text in CR form
    // seldom has any, and without them its CRs alone number the lines.
    static size_t countLineEndsOtherThanCR(std::u16string_view text);

    // Searching and splitting.
    static bool stringStartsWith(std::u16string_view target, std::u16string_view prefix);
    static bool stringContains(std::u16string_view target, std::u16string_view piece);
    static std::u16string removeSpacesFromHeadOf(std::u16string_view text);
    static std::vector<std::u16string> stringComponentsSeparatedByCharacters(std::u16string_view target,
                                                                             std::u16string_view separators);
    static std::vector<std::u16string> stringBindedWith(std::u16string_view target, std::u16string_view opening,
                                                        std::u16string_view closing);
    static std::u16string replaceString(std::u16string_view text, std::u16string_view search,
                                        std::u16string_view replacement);
    static std::u16string convertCStyleToString(std::u16string_view text);
    static std::u16string trimSpaces(std::u16string_view text);
    static WResolvedCommand resolveCommand(std::u16string_view line);
    // True for U+0009..U+000D, U+0085 and the categories Zs, Zl and Zp.
    static bool isWhitespaceOrNewline(char16_t unit);

    // Hexadecimal numbers and colour strings.
    static uint32_t unsignedIntFromString(std::u16string_view text);  // WNotFound when malformed
    static std::optional<std::u16string> stringFromUnsignedInt(uint32_t number, uint32_t digits);
    static std::u16string stringFromColor(const WColor& color);  // "#RRGGBB"
    static std::optional<WColor> colorFromString(std::u16string_view text);

    // Editing helpers; they live with the editing commands (editor/WStringUtilsEditing.cpp).
    // Hard-wraps at width columns, a character above U+00FF counting two; every line end becomes CR.
    static std::u16string wrapString(std::u16string_view text, uint32_t width);
    // The path from the source file's folder to the destination: "./x" below it, "../x" above.
    static std::u16string relativePathFrom(std::u16string_view source, std::u16string_view destination);

    // Scanners and setting strings; they live with the colouring code
    // (syntax/WStringUtilsScanners.cpp). Ranges are absolute positions in target;
    // a delimiter counts only when it lies wholly inside the scanned range.
    static WRange lineRangeForRange(std::u16string_view target, WRange range);
    static WRangeArray rangesOfTokens(std::u16string_view target);
    static WRangeArray rangesOfTokens(std::u16string_view target, std::u16string_view tokenCharacters);
    static WRangeArray rangesOfTokens(std::u16string_view target, WRange range, std::u16string_view tokenCharacters);
    static WRangeArray rangesOfTokensStartsWith(std::u16string_view target, WRange range, std::u16string_view prefix);
    static WRangeArray rangesOfTokensStartsWith(std::u16string_view target, WRange range, std::u16string_view prefix,
                                                std::u16string_view tokenCharacters);
    // Opener through closer, letter case ignored; a range at WNotFound searches the whole text.
    static WRangeArray rangesOfStringsStartsWith(std::u16string_view target, WRange range,
                                                 std::u16string_view opening, std::u16string_view closing);
    // The insides of such spans.
    static WRangeArray rangesOfStringsBindedWith(std::u16string_view target, WRange range,
                                                 std::u16string_view opening, std::u16string_view closing);
    static WRangeArray rangesOfStrings(std::u16string_view target, WRange range, std::u16string_view word,
                                       bool ignoreCase);
    static WRangeArray rangesOfLines(std::u16string_view target, WRange range);
    static WRangeArray rangesOfLines(std::u16string_view target, WRange range, std::u16string_view prefix,
                                     bool ignoreCase);
    static WRangeArray rangesOfLinesWithoutReturns(std::u16string_view target, WRange range);
    static std::vector<std::u16string> linesWithoutReturnsOfString(std::u16string_view target, WRange range);
    // "double_quote", "single_quote" and "comment"; an empty marker finds no comments.
    static WRangeDictionary rangesOfQuotedAndCommentedString(std::u16string_view target,
                                                             std::u16string_view comment, WRange range);
    static WRangeArray rangesOfMultiCommentString(std::u16string_view target, std::u16string_view head,
                                                  std::u16string_view tail, WRange range,
                                                  bool ignoreQuotes = false);
    static uint32_t countMultiCommentString(std::u16string_view target, std::u16string_view head,
                                            std::u16string_view tail, WRange range, bool ignoreQuotes = false);
    // The script scanner: "double_quote", "single_quote", "single_comment", "multi_comment",
    // "keywords", "variables", "others". Empty markers disable what they mark; no token
    // characters means the default ones.
    static WRangeDictionary rangesOfColorSyntaxWith(std::u16string_view target, WRange range,
                                                    std::u16string_view multiCommentHead,
                                                    std::u16string_view multiCommentTail,
                                                    std::u16string_view singleComment,
                                                    const std::vector<std::u16string>* keywords,
                                                    std::u16string_view variableHead,
                                                    std::optional<std::u16string_view> tokenChars);
    // The markup scanner: "tags", "comments", "others", "keywords", "single_quote",
    // "double_quote", "refs".
    static WRangeDictionary rangesOfHMLSyntaxWith(std::u16string_view target, WRange range,
                                                  const std::vector<std::u16string>* keywords);
    // "key = value" lines; "//" at a line start makes a comment.
    static std::map<std::u16string, std::u16string> settingsFromString(std::u16string_view text);

    // Conversions at the edges of the core (file names, settings, log lines).
    static std::u16string fromUtf8(std::string_view text);
    static std::string toUtf8(std::u16string_view text);
};
