#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "text/WRange.h"

enum WSearchDirection : uint32_t {
    WSearchForward = 0,
    WSearchBackward = 1,
};

// One search string prepared for matching. Two pieces of text match when they
// are canonically equivalent (a は followed by a combining voiced mark matches
// ば), and, when ignoring case, when their Unicode case foldings are (ß matches
// SS, ǅ matches ǆ and Ǆ). A match never splits a character from the combining
// marks that follow it, so a found range may be longer or shorter than the
// search string. An empty search string never matches.
//
// Text made of ASCII and characters that neither decompose nor fold is matched
// by plain code-unit comparison; ICU is consulted only for the rest, and each
// character's comparison form is computed once per matcher. That cache makes
// even the const operations unfit for two threads at once.
class WSearchMatcher {
public:
    WSearchMatcher(std::u16string_view pattern, bool ignoreCase);
    ~WSearchMatcher();
    WSearchMatcher(const WSearchMatcher&) = delete;
    WSearchMatcher& operator=(const WSearchMatcher&) = delete;

    const std::u16string& pattern() const { return mPattern; }
    bool ignoreCase() const { return mIgnoreCase; }
    // True when nothing can match (the search string is empty).
    bool isEmpty() const { return mKey.empty(); }

    // Forward: the first occurrence inside the range. Backward: the occurrence
    // inside the range that starts last. The range is searched as if it were
    // the whole text. {WNotFound, 0} when there is none or the range does not
    // lie within the text.
    WRange find(std::u16string_view text, WRange range, WSearchDirection direction) const;

    struct Replacement {
        std::u16string text;
        uint32_t count = 0;
    };
    // Every occurrence from the start, without overlaps; the inserted
    // replacements are never searched again.
    Replacement replaceAll(std::u16string_view text, std::u16string_view replacement) const;
    // The same, handing the new text over piece by piece instead of building
    // it (for a caller that writes it out as it goes). Answers the count.
    uint32_t replaceAll(std::u16string_view text, std::u16string_view replacement,
                        const std::function<void(std::u16string_view piece)>& write) const;

    // The form in which text is compared: the canonical decomposition, case
    // folded and decomposed again when ignoring case.
    static std::u16string comparisonForm(std::u16string_view text, bool ignoreCase);

private:
    class KeyCache;

    // The units that can begin a match in a run of ASCII: the first of the
    // key in its two cases, and the pair when the key begins with two ASCII units.
    struct AsciiStart {
        char16_t low = 0x80;  // a unit outside ASCII when no ASCII unit can begin a match
        char16_t high = 0x80;
        bool pair = false;
        char16_t nextLow = 0;
        char16_t nextHigh = 0;
    };
    static bool startsHere(const char16_t* s, size_t q, size_t end, const AsciiStart& a);
    // The first position at or after q whose unit is not ASCII or may begin a match.
    static size_t skipPlainAscii(const char16_t* s, size_t q, size_t end, const AsciiStart& a);
    // The last position in [start, q) whose unit is not ASCII or may begin a match, or npos.
    static size_t skipPlainAsciiBackward(const char16_t* s, size_t start, size_t q, size_t end, const AsciiStart& a);

    static constexpr size_t npos = static_cast<size_t>(-1);

    // The start of the first (last) occurrence in [start, end) and its end, or npos.
    size_t findForward(const char16_t* s, size_t start, size_t end, size_t* matchEnd) const;
    size_t findBackward(const char16_t* s, size_t start, size_t end, size_t* matchEnd) const;
    // Whether an occurrence begins at start when the range begins with a combining mark.
    bool leadingMarksMatch(const char16_t* s, size_t start, size_t end, size_t* matchEnd) const;
    // The end of the occurrence that begins at the segment start q, or npos.
    size_t matchAt(const char16_t* s, size_t q, size_t end) const;
    size_t nextCandidate(const char16_t* s, size_t q, size_t end) const;
    bool mayStartMatch(char16_t unit) const;
    template <class Write>
    uint32_t replaceEach(std::u16string_view text, std::u16string_view replacement, Write&& write) const;

    std::u16string mPattern;
    bool mIgnoreCase;
    std::unique_ptr<KeyCache> mCache;
    std::u16string mKey;  // the pattern's comparison form
    AsciiStart mAsciiStart;
};
