#include <gtest/gtest.h>

#include <cstdint>

#include "document/WDocumentScripting.h"

namespace {
using S = WDocumentScripting;

TEST(WDocumentScripting, EncodingNamesCoverTheFiveAndNothingElse)
{
    EXPECT_EQ(S::encodingName(8), "S-JIS");
    EXPECT_EQ(S::encodingName(3), "EUC");
    EXPECT_EQ(S::encodingName(4), "UTF-8");
    EXPECT_EQ(S::encodingName(10), "UTF-16");
    EXPECT_EQ(S::encodingName(21), "JIS");
    EXPECT_EQ(S::encodingName(0), "no encoding...");
    EXPECT_EQ(S::encodingName(0x80000100), "no encoding...");
}

TEST(WDocumentScripting, SelectionLocationShortensTheSelectionAtTheEnd)
{
    // A selection of five in a text of ten, moved to 8: (8, 2).
    EXPECT_EQ(S::selectionWithLocation({1, 5}, 10, 8), (WRange{8, 2}));
    EXPECT_EQ(S::selectionWithLocation({1, 5}, 10, 5), (WRange{5, 5}));
    EXPECT_EQ(S::selectionWithLocation({1, 5}, 10, 10), (WRange{10, 0}));
    EXPECT_EQ(S::selectionWithLocation({0, 0}, 0, 0), (WRange{0, 0}));
    EXPECT_EQ(S::selectionWithLocation({1, 5}, 10, 11), std::nullopt);
    EXPECT_EQ(S::selectionWithLocation({1, 5}, 10, -1), std::nullopt);
    EXPECT_EQ(S::selectionWithLocation({1, 5}, 10, INT64_MIN), std::nullopt);
    EXPECT_EQ(S::selectionWithLocation({1, 5}, 10, INT64_MAX), std::nullopt);
    // Lengths near the top of the range do not wrap around.
    EXPECT_EQ(S::selectionWithLocation({0, UINT32_MAX}, 10, 4), (WRange{4, 6}));
}

TEST(WDocumentScripting, SelectionLengthEndsAtTheTextAtMost)
{
    EXPECT_EQ(S::selectionWithLength({8, 0}, 10, 2), (WRange{8, 2}));
    EXPECT_EQ(S::selectionWithLength({8, 0}, 10, 0), (WRange{8, 0}));
    EXPECT_EQ(S::selectionWithLength({8, 0}, 10, 3), std::nullopt);
    EXPECT_EQ(S::selectionWithLength({8, 0}, 10, -1), std::nullopt);
    EXPECT_EQ(S::selectionWithLength({10, 0}, 10, 0), (WRange{10, 0}));
    EXPECT_EQ(S::selectionWithLength({8, 0}, 10, INT64_MAX), std::nullopt);
}

TEST(WDocumentScripting, RangesMustLieInTheText)
{
    EXPECT_EQ(S::rangeInText(5, 0, 5), (WRange{5, 0}));
    EXPECT_EQ(S::rangeInText(0, 5, 5), (WRange{0, 5}));
    EXPECT_EQ(S::rangeInText(5, 1, 5), std::nullopt);
    EXPECT_EQ(S::rangeInText(6, 0, 5), std::nullopt);
    EXPECT_EQ(S::rangeInText(-1, 1, 5), std::nullopt);
    EXPECT_EQ(S::rangeInText(1, -1, 5), std::nullopt);
    EXPECT_EQ(S::rangeInText(INT64_MAX, INT64_MAX, 5), std::nullopt);
    EXPECT_EQ(S::rangeInText(1, INT64_MAX, 5), std::nullopt);
}
}  // namespace
