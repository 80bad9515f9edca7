#pragma once

#include <array>
#include <cstdint>
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
// character's comparison form is computed once per matcher.
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

    // The form in which text is compared: the canonical decomposition, case
    // folded and decomposed again when ignoring case.
    static std::u16string comparisonForm(std::u16string_view text, bool ignoreCase);

private:
    class KeyCache;

    static constexpr size_t npos = static_cast<size_t>(-1);

    // The start of the first (last) occurrence in [start, end) and its end, or npos.
    size_t findForward(const char16_t* s, size_t start, size_t end, size_t* matchEnd) const;
    size_t findBackward(const char16_t* s, size_t start, size_t end, size_t* matchEnd) const;
    // The end of the occurrence that begins at the segment start q, or npos.
    size_t matchAt(const char16_t* s, size_t q, size_t end) const;
    size_t nextCandidate(const char16_t* s, size_t q, size_t end) const;
    bool mayStartMatch(char16_t unit) const;

    std::u16string mPattern;
    bool mIgnoreCase;
    std::unique_ptr<KeyCache> mCache;
    std::u16string mKey;     // the pattern's comparison form
    char16_t mFirstLow = 0;  // the ASCII units that can begin a match; 0xFFFF when none can
    char16_t mFirstHigh = 0;
};
