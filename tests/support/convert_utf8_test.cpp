#include "support/convert_utf8.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support_testing.h"

namespace {

using support_testing::guarded_bytes;

TEST(ConvertUtf8ToUtf16, DecodesAndReplaces) {
    const struct {
        const char* source;
        std::u16string expected;
    } cases[] = {
        {"", u""},
        {"\xC3\xA9", u"\u00E9"},
        {"\xFF", u"\uFFFD"},
        {"Artist - Title", u"Artist - Title"},
        {"\xF0\x9F\x8E\xB5", u"\U0001F3B5"},
        {"a\xE2\x82" "b", u"a\uFFFDb"},
    };
    for (const auto& c : cases) EXPECT_EQ(convertUTF8toUTF16(c.source), c.expected) << c.source;
}

TEST(ConvertUtf8ToUtf16, NullSourceGivesEmpty) { EXPECT_EQ(convertUTF8toUTF16(nullptr), u""); }

TEST(ConvertUtf8ToUtf16, ReadsAtMostTheFirst65536Bytes) {
    // No NUL anywhere, and the byte after the limit is unreadable.
    guarded_bytes unterminated(65536);
    std::memset(unterminated.data(), 'a', unterminated.size());
    const forms::String cut = convertUTF8toUTF16(unterminated.data());
    EXPECT_EQ(cut, forms::String(65536, u'a'));

    // The last NUL that still counts is at position 65,535.
    guarded_bytes terminated(65536);
    std::memset(terminated.data(), 'b', terminated.size());
    terminated.data()[65535] = '\0';
    EXPECT_EQ(convertUTF8toUTF16(terminated.data()).size(), 65535u);

    // A sequence broken by the cut decodes as one replacement, not as bytes past it.
    guarded_bytes split(65536);
    std::memset(split.data(), 'c', split.size());
    std::memcpy(split.data() + 65534, "\xE2\x82", 2);
    const forms::String tail = convertUTF8toUTF16(split.data());
    ASSERT_EQ(tail.size(), 65535u);
    EXPECT_EQ(tail.back(), u'\uFFFD');
}

TEST(ConvertUtf8ToUtf16, OutOfMemoryIsBadAllocation) {
    platform::heap_fail_at(1);
    try {
        convertUTF8toUTF16("text");
        ADD_FAILURE() << "the copy's allocation was not made";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    platform::heap_disarm();
}

}  // namespace
