#include <gtest/gtest.h>

#include "text/WRangeObj.h"
#include "text/wunistr.h"

TEST(RangeObj, ContainmentIsEndInclusive)
{
    WRangeObj r(5, 5);
    EXPECT_TRUE(r.containsLocation(10));
    EXPECT_FALSE(r.containsLocation(11));
    EXPECT_FALSE(r.containsLocation(4));
    EXPECT_TRUE(WRangeObj(7, 0).containsLocation(7));
    EXPECT_TRUE(r.containsRange({10, 0}));
    EXPECT_TRUE(r.containsRange({5, 5}));
    EXPECT_FALSE(r.containsRange({5, 6}));
    EXPECT_FALSE(r.containsRange({4, 1}));
    // Near the top of the 32-bit range the end must not wrap around.
    WRangeObj high(0xFFFFFFF0u, 0x20);
    EXPECT_TRUE(high.containsLocation(0xFFFFFFFFu));
    EXPECT_FALSE(WRangeObj(0, 5).containsRange({0xFFFFFFFFu, 2}));

    std::vector<WRangeObj> ranges{WRangeObj(0, 2), WRangeObj(3, 10)};
    EXPECT_TRUE(WRangeObj(4, 2).isContainedWithRangeObjs(ranges));
    EXPECT_FALSE(WRangeObj(1, 3).isContainedWithRangeObjs(ranges));
    EXPECT_FALSE(WRangeObj(1, 3).isContainedWithRangeObjs({}));
}

TEST(RangeObj, UnionIntersectionShift)
{
    WRangeObj a(0, 5);
    EXPECT_EQ(a.intersectionRange({7, 2}), WRangeObj(0, 0));
    EXPECT_EQ(a.intersectionRange({5, 2}), WRangeObj(0, 0));  // touching is no overlap
    EXPECT_EQ(a.intersectionRange({3, 9}), WRangeObj(3, 2));
    EXPECT_EQ(a.unionRange({7, 2}), WRangeObj(0, 9));
    EXPECT_EQ(WRangeObj(4, 2).unionRangeObj(WRangeObj(1, 1)), WRangeObj(1, 5));

    WRangeObj s(10, 2);
    EXPECT_EQ(s.shiftRangeObj(3), nullptr);
    EXPECT_EQ(s, WRangeObj(10, 2));
    EXPECT_EQ(s.shiftRangeObj(2), &s);
    EXPECT_EQ(s, WRangeObj(12, 0));

    EXPECT_EQ(WRangeObj(4, 9).locationCompare(WRangeObj(4, 1)), 0);
    EXPECT_EQ(WRangeObj(3, 9).locationCompare(WRangeObj(4, 1)), -1);
    EXPECT_EQ(WRangeObj(5, 0).locationCompare(WRangeObj(4, 1)), 1);
}

TEST(RangeObj, StringFormAndArchive)
{
    WRangeObj r("{12, 7}");
    EXPECT_EQ(r, WRangeObj(12, 7));
    EXPECT_EQ(r.string(), "{12, 7}");
    EXPECT_EQ(WRangeObj("{3}"), WRangeObj(3, 0));
    EXPECT_EQ(WRangeObj("garbage"), WRangeObj(0, 0));
    EXPECT_EQ(WRangeObj("{99999999999, 1}"), WRangeObj(0xFFFFFFFFu, 1));  // saturates, no overflow

    std::vector<uint8_t> archive;
    WRangeObj(1, 0x01020304).encodeWithCoder(archive);
    WRangeObj(0xFFFFFFFFu, 0).encodeWithCoder(archive);
    EXPECT_EQ(archive.size(), 16u);
    EXPECT_EQ(archive[4], 0x04);  // location first, then length, little-endian
    size_t offset = 0;
    WRangeObj a, b, c;
    ASSERT_TRUE(a.initWithCoder(archive, offset));
    ASSERT_TRUE(b.initWithCoder(archive, offset));
    EXPECT_EQ(a, WRangeObj(1, 0x01020304));
    EXPECT_EQ(b, WRangeObj(0xFFFFFFFFu, 0));
    EXPECT_FALSE(c.initWithCoder(archive, offset));  // nothing left
    archive.pop_back();
    offset = 8;
    EXPECT_FALSE(c.initWithCoder(archive, offset));  // cut short
    EXPECT_EQ(offset, 8u);
}

TEST(UnicodeBuffer, ConstructAppendSearch)
{
    wunistr buffer = uni_construct_with_string(u"ab\r");
    EXPECT_EQ(buffer.length, 3u);
    EXPECT_EQ(buffer.mem_size, 3u);
    for (int i = 0; i < 1000; ++i)
        uni_append_char(&buffer, u'x');
    uni_append_char(&buffer, u'\u2028');
    EXPECT_EQ(buffer.length, 1004u);
    EXPECT_GE(buffer.mem_size, buffer.length);
    EXPECT_EQ(buffer.string[1003], u'\u2028');
    EXPECT_EQ(uni_offset_of_char(buffer, u'x'), 3);
    EXPECT_EQ(uni_offset_of_char(buffer, u'z'), -1);
    EXPECT_TRUE(uni_does_contain_char(buffer, u'\r'));
    uni_destruct(buffer);

    wunistr empty = uni_construct_with_size(0);
    uni_append_char(&empty, u'q');
    EXPECT_EQ(empty.string[0], u'q');
    wunistr none = uni_construct_with_size(0);
    EXPECT_FALSE(uni_does_contain_char(none, u'q'));
    uni_destruct(none);
    uni_destruct(empty);
}

TEST(UnicodeBuffer, ArraysAndComparison)
{
    EXPECT_EQ(uni_construct_with_array(nullptr), nullptr);
    uni_destruct_array(nullptr);
    std::vector<std::u16string> none;
    wunistr* array = uni_construct_with_array(&none);
    EXPECT_EQ(array[0].length, 0u);
    uni_destruct_array(array);
    std::vector<std::u16string> words{u"if", u"else"};
    array = uni_construct_with_array(&words);
    EXPECT_EQ(array[1].length, 4u);
    EXPECT_EQ(array[2].length, 0u);
    uni_destruct_array(array);

    EXPECT_EQ(unistrncmp(u"abc", u"abd", 2), 0);
    EXPECT_EQ(unistrncmp(u"abc", u"abd", 3), 1);  // a smaller: 1
    EXPECT_EQ(unistrncmp(u"abe", u"abd", 3), -1);
    EXPECT_TRUE(uni_is_return_char(u'\u2028'));
    EXPECT_TRUE(uni_is_return_char(u'\n'));
    EXPECT_FALSE(uni_is_return_char(u'\u0085'));
}
