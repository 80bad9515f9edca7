#include "prefs/WPlistSerialization.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A binary property list made by hand: object i is an array holding
// `refsEach` references to object i + 1 (the last one is empty), or, with
// `selfLoop`, a single array that holds itself.
std::string binaryChain(int objects, int refsEach, bool selfLoop = false)
{
    std::string bytes = "bplist00";
    std::vector<size_t> offsets;
    for (int i = 0; i < objects; ++i) {
        offsets.push_back(bytes.size());
        const bool last = i + 1 == objects;
        if (last && !selfLoop) {
            bytes += char(0xA0);
            continue;
        }
        bytes += char(0xA0 | refsEach);
        const int target = selfLoop ? i : i + 1;
        for (int r = 0; r < refsEach; ++r) {
            bytes += char(target >> 16);
            bytes += char(target >> 8);
            bytes += char(target);
        }
    }
    const size_t table = bytes.size();
    for (size_t offset : offsets) {
        bytes += char(offset >> 16);
        bytes += char(offset >> 8);
        bytes += char(offset);
    }
    std::string trailer(32, '\0');
    trailer[6] = 3;  // offset size
    trailer[7] = 3;  // reference size
    for (int k = 0; k < 8; ++k) {
        trailer[8 + k] = char(uint64_t(objects) >> (8 * (7 - k)));
        trailer[24 + k] = char(uint64_t(table) >> (8 * (7 - k)));
    }
    return bytes + trailer;
}

std::string xmlNesting(int levels)
{
    std::string text = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < levels; ++i)
        text += "<array>";
    text += "<true/>";
    for (int i = 0; i < levels; ++i)
        text += "</array>";
    return text + "</plist>";
}

int depthOf(const WPlistValue& value)
{
    const WPlistArray* array = value.array();
    return array && !array->empty() ? 1 + depthOf(array->front()) : 1;
}

TEST(PlistSerialization, EveryKindRoundTrips)
{
    WDictionary inner;
    inner.setObject(WPlistValue(WPlistDate{-86400.0}), "before 2001");  // XML keeps whole seconds
    WDictionary root;
    root.setObject(WPlistValue(true), "yes");
    root.setObject(WPlistValue(int64_t{-2147483649}), "below int32");
    root.setObject(WPlistValue(0.1), "tenth");
    root.setObject(WPlistValue("日本語 <&> \"quoted\""), "text");
    root.setObject(WPlistValue(WPlistData{0, 255, 10}), "bytes");
    root.setObject(WPlistValue(WPlistArray{WPlistValue(inner), WPlistValue(WPlistArray{})}), "list");

    const std::string xml = WPlistSerialization::xmlDataFromPropertyList(WPlistValue(root));
    auto back = WPlistSerialization::propertyListFromData(xml);
    ASSERT_TRUE(back && back->dictionary());
    EXPECT_EQ(*back->dictionary(), root);

    // A copy owns its nested containers: changing it leaves the original be.
    WDictionary copy = root;
    copy.objectForKey("list")->array()->front().dictionary()->setBool(false, "before 2001");
    EXPECT_EQ(*back->dictionary(), root);
    EXPECT_FALSE(copy == root);
}

TEST(PlistSerialization, NestingIsBounded)
{
    auto deepEnough = WPlistSerialization::propertyListFromData(xmlNesting(256));
    ASSERT_TRUE(deepEnough);
    EXPECT_EQ(depthOf(*deepEnough), 257);
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(xmlNesting(257)));
    // Deep enough to overflow the stack of a recursive reader.
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(xmlNesting(1000000)));

    // The binary form allows the same: 256 containers, the innermost empty.
    auto deepBinary = WPlistSerialization::propertyListFromData(binaryChain(256, 1));
    ASSERT_TRUE(deepBinary);
    EXPECT_EQ(depthOf(*deepBinary), 256);
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(binaryChain(257, 1)));
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(binaryChain(1000000, 1)));
}

TEST(PlistSerialization, SharedReferencesCannotExplode)
{
    // Each level refers twice to the next: 2^n nodes once expanded.
    auto modest = WPlistSerialization::propertyListFromData(binaryChain(10, 2));
    ASSERT_TRUE(modest);
    EXPECT_EQ(depthOf(*modest), 10);
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(binaryChain(41, 2)));  // 2^40 leaves
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(binaryChain(64, 2)));
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(binaryChain(1, 1, true)));
}

TEST(PlistSerialization, RejectsWhatIsNoPropertyList)
{
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(""));
    EXPECT_FALSE(WPlistSerialization::propertyListFromData("bplist00"));
    std::string truncated = binaryChain(3, 1);
    truncated.erase(12, 1);  // offsets now point past their objects
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(truncated));
    std::string badTrailer = binaryChain(3, 1);
    badTrailer[badTrailer.size() - 32 + 7] = 0;  // references of no size
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(badTrailer));
    EXPECT_FALSE(WPlistSerialization::propertyListFromData("<plist><dict><key>a</key>"));
}

TEST(PlistSerialization, ABadValueDropsOnlyItself)
{
    // Strings with a NUL, numbers that are none, elements no list has: each
    // goes alone, with its key in a dictionary; the rest is read.
    auto list = WPlistSerialization::propertyListFromData(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"x.dtd\">\n"
        "<plist version=\"1.0\"><array><string>a</string><string>a&#0;b</string><integer>x</integer>"
        "<foo><bar/>text</foo><real>1.5</real><string>&bogus;</string><integer>-3</integer>"
        "<dict><key>bad</key><date>yesterday</date><key>good</key><true/><string>no key</string>"
        "<key>x&#0;</key><false/><key>kept</key><data>AAEC</data></dict><!-- note --></array></plist>");
    ASSERT_TRUE(list && list->array());
    WDictionary inner;
    inner.setObject(WPlistValue(true), "good");
    inner.setObject(WPlistValue(WPlistData{0, 1, 2}), "kept");
    EXPECT_EQ(*list->array(), (WPlistArray{WPlistValue("a"), WPlistValue(1.5), WPlistValue(int64_t{-3}),
                                           WPlistValue(inner)}));
    // Unsound XML is still refused whole.
    EXPECT_FALSE(WPlistSerialization::propertyListFromData("<plist><array><true/></dict></plist>"));
    EXPECT_FALSE(WPlistSerialization::propertyListFromData("<plist><array>loose text</array></plist>"));
}

TEST(PlistSerialization, StringsWithNulAreRefused)
{
    // A string never holds a NUL; at the top there is nothing left to read.
    auto newline = WPlistSerialization::propertyListFromData("<plist><string>a&#10;b</string></plist>");
    ASSERT_TRUE(newline && newline->string());
    EXPECT_EQ(*newline->string(), "a\nb");
    EXPECT_FALSE(WPlistSerialization::propertyListFromData("<plist><string>a&#0;b</string></plist>"));
    EXPECT_FALSE(WPlistSerialization::propertyListFromData("<plist><string>a&#x000;b</string></plist>"));
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(std::string("<plist><string>a\0b</string></plist>", 35)));

    // The binary form of "ab", then of "a" and a NUL.
    std::string binary = "bplist00";
    binary += "\x52" "ab";
    binary += char(8);  // offset table: the string at 8
    std::string trailer(32, '\0');
    trailer[6] = 1;
    trailer[7] = 1;
    trailer[15] = 1;   // one object
    trailer[31] = 11;  // the table follows the string
    binary += trailer;
    auto text = WPlistSerialization::propertyListFromData(binary);
    ASSERT_TRUE(text && text->string());
    EXPECT_EQ(*text->string(), "ab");
    binary[10] = '\0';
    EXPECT_FALSE(WPlistSerialization::propertyListFromData(binary));
}

}  // namespace
