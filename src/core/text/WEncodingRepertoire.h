#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "text/WEncoding.h"

// What saving in an encoding does to each character. UTF-8 and UTF-16 keep
// every character (UTF-8 every one but an unpaired surrogate). Shift JIS, EUC
// and JIS keep the characters that read back as themselves; of the pairs that
// Unicode holds twice where JIS X 0208 has one character (〜 and ～, − and －,
// ‖ and ∥, ¢ £ ¬ ¦ and their full-width forms, — and ―), the one the encoding
// has no bytes for is written as its twin; every other character cannot be
// saved, including those that would come back as something else (¥ and ‾ as
// backslash and tilde).
class WEncodingRepertoire {
public:
    enum class Fate : uint8_t { Kept, Twin, Lost };

    // One table per encoding, made the first time it is asked for.
    static const WEncodingRepertoire& of(WStringEncoding encoding);

    Fate fate(char32_t character) const;
    // The character written (and read back) in place of a Twin; the character
    // itself otherwise.
    char16_t writtenAs(char16_t unit) const;

    // The twin pairs, each once.
    static const std::vector<std::array<char16_t, 2>>& twinPairs();

private:
    explicit WEncodingRepertoire(WStringEncoding encoding);

    WStringEncoding mEncoding;
    std::vector<Fate> mFates;          // by BMP code point; empty for the Unicode encodings
    std::vector<char16_t> mTwins;      // partner of each Twin, by code point
};
