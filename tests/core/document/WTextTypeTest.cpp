#include <gtest/gtest.h>

#include "document/WTextType.h"

TEST(TextTypeNames, TablesAgree)
{
    EXPECT_EQ(WTextTypeNames::popupTitle(WTextHTML), "X/HTML");
    EXPECT_EQ(WTextTypeNames::popupTitle(WTextWexelMarkup), "w-markup");
    EXPECT_EQ(WTextTypeNames::popupTitle(WTextShellScript), "");
    EXPECT_EQ(WTextTypeNames::keyEquivalent(WTextPlain), "/");
    EXPECT_EQ(WTextTypeNames::keyEquivalent(WTextHTML), "m");
    EXPECT_EQ(WTextTypeNames::keyEquivalent(WTextCSS), "");
    EXPECT_EQ(WTextTypeNames::scriptingName(WTextShellScript), "sh-script");
    EXPECT_EQ(WTextTypeNames::fromScriptingName("perl"), WTextPerlScript);
    EXPECT_EQ(WTextTypeNames::fromScriptingName("Perl"), std::nullopt);
    EXPECT_EQ(WTextTypeNames::popupTitle(static_cast<WTextType>(0)), "");
    EXPECT_FALSE(WTextTypeNames::isTextType(0));
    EXPECT_FALSE(WTextTypeNames::isTextType(10));
    for (WTextType type : WTextTypeNames::kPopupTypes) {
        EXPECT_FALSE(WTextTypeNames::popupTitle(type).empty());
        EXPECT_EQ(WTextTypeNames::fromScriptingName(WTextTypeNames::scriptingName(type)), type);
    }
}

TEST(TextTypeNames, DocumentTypeNamesAndExtensions)
{
    EXPECT_EQ(WTextTypeNames::fromDocumentTypeName("HTML file"), WTextHTML);
    EXPECT_EQ(WTextTypeNames::fromDocumentTypeName("html file"), std::nullopt);  // case-sensitive
    EXPECT_EQ(WTextTypeNames::fromDocumentTypeName(""), std::nullopt);
    EXPECT_EQ(WTextTypeNames::fromDocumentTypeName("ruby file"), WTextRubyScript);
    EXPECT_EQ(WTextTypeNames::documentTypeName(WTextIndex), "");

    auto typeOf = [](std::string_view path) {
        return WTextTypeNames::fromDocumentTypeName(WTextTypeNames::documentTypeNameForPath(path));
    };
    EXPECT_EQ(typeOf("a/b/page.html"), WTextHTML);
    EXPECT_EQ(typeOf("page.HTM"), WTextHTML);
    EXPECT_EQ(typeOf("page.xhtml"), WTextHTML);
    EXPECT_EQ(typeOf("notes.txt"), WTextPlain);
    EXPECT_EQ(typeOf("style.css"), WTextCSS);
    EXPECT_EQ(typeOf("index.php"), WTextPHP);
    EXPECT_EQ(typeOf("x.pl"), WTextPerlScript);
    EXPECT_EQ(typeOf("x.pm"), WTextPerlScript);
    EXPECT_EQ(typeOf("x.cgi"), WTextPerlScript);
    EXPECT_EQ(typeOf("x.rb"), WTextRubyScript);
    EXPECT_EQ(typeOf("x.sh"), std::nullopt);
    EXPECT_EQ(typeOf("Makefile"), std::nullopt);
    EXPECT_EQ(typeOf(".css"), std::nullopt);          // a hidden file's name, no extension
    EXPECT_EQ(typeOf("dir.html/readme"), std::nullopt);  // the folder's dot does not count
}
