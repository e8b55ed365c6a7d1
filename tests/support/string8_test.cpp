#include "support/string8.h"
#include "support/convert_utf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "support_testing.h"

namespace {

using namespace support_testing;

t_size block_size(const pfc::string8& s) { return s.get_storage().get_capacity(); }

auto state_of(const pfc::string8& s) {
    return std::make_tuple(std::string(s.get_ptr()), s.get_length(), s.get_storage().get_size(), block_size(s),
                           static_cast<const void*>(s.get_storage().get_ptr()));
}

// The whole block in use; the text NUL-terminated inside it; an empty text is the static one.
void expect_sound(const pfc::string8& s) {
    EXPECT_EQ(s.get_storage().get_size(), block_size(s));
    EXPECT_EQ(std::strlen(s.get_ptr()), s.get_length());
    if (s.get_length() == 0) {
        EXPECT_NE(static_cast<const void*>(s.get_ptr()), s.get_storage().get_ptr());
    } else {
        EXPECT_EQ(s.get_storage().get_ptr()[s.get_length()], '\0');
    }
}

class String8 : public heap_test {};

TEST(StringBase, SlotsAreInTheHostsOrder) {
    EXPECT_EQ(vtable_slot(&pfc::string_receiver::add_string), 0);
    int slot = 0;
    for (long s : {vtable_slot(&pfc::string_base::add_string), vtable_slot(&pfc::string_base::get_ptr),
                   vtable_slot(&pfc::string_base::set_string), vtable_slot(&pfc::string_base::truncate),
                   vtable_slot(&pfc::string_base::get_length), vtable_slot(&pfc::string_base::lock_buffer),
                   vtable_slot(&pfc::string_base::unlock_buffer)})
        EXPECT_EQ(s, slot++);
}

TEST_F(String8, FitRuleGrowsWithHeadroomAndShrinksOnlyPast32Spare) {
    pfc::string8 s;
    EXPECT_EQ(state_of(s), std::make_tuple(std::string(), 0u, 0u, 0u, nullptr)) << "a new buffer has no block";
    const std::pair<std::string, t_size> steps[] = {
        {"abcdefghij", 27},          // 11 + 16
        {std::string(40, 'x'), 57},  // 41 + 16
        {"abcde", 6},                // 57 > 6 + 32: exactly the need
        {std::string(21, 'y'), 38},  // 22 + 16
        {"abcde", 38},               // 38 is not more than 6 + 32
        {std::string(37, 'z'), 38},  // need 38 fits
        {std::string(38, 'w'), 55},  // need 39 grows
        {std::string(22, 'v'), 55},  // exactly 32 spare stay
        {std::string(21, 'u'), 22},  // 33 spare: shrink
        {"", 22},                    // need 1: 22 is not more than 33
    };
    for (const auto& [text, block] : steps) {
        SCOPED_TRACE(text.size());
        s.set_string(text.c_str(), pfc::infinite_size);
        EXPECT_EQ(std::make_tuple(std::string(s.get_ptr()), s.get_length(), block_size(s)),
                  std::make_tuple(text, static_cast<t_size>(text.size()), block));
        expect_sound(s);
    }
}

TEST_F(String8, LengthBoundsTheCopyAndNulEndsItEarlier) {
    const std::tuple<const char*, t_size, const char*> cases[] = {
        {"hello", 3, "hel"}, {"hi", 10, "hi"}, {"hello", 0, ""}, {"hello", pfc::infinite_size, "hello"},
        {"ab\0cd", 5, "ab"}, {nullptr, 5, ""},
    };
    for (const auto& [text, length, expected] : cases) {
        pfc::string8 set, add("12");
        set.set_string(text, length);
        add.add_string(text, length);
        EXPECT_EQ(set.get_ptr(), std::string(expected));
        EXPECT_EQ(add.get_ptr(), std::string("12") + expected);
        EXPECT_STREQ(pfc::string8(text, length).get_ptr(), expected);
        expect_sound(set);
        expect_sound(add);
    }
}

TEST_F(String8, OperationsGiveTheTextAndTheBlock) {
    const struct { const char* name; void (*run)(pfc::string8&); std::string text; t_size block; } cases[] = {
        {"set of null on a new buffer", [](pfc::string8& s) { s.set_string(nullptr); }, "", 17},
        {"add from inside", [](pfc::string8& s) { s = "abcdef", s.add_string(s.get_ptr() + 2); }, "abcdefcdef", 23},
        // Grows past the block: a source still read from the old block would be freed memory.
        {"add of itself, grows", [](pfc::string8& s) { s = std::string(30, 'a').c_str(), s.add_string(s.get_ptr()); },
         std::string(60, 'a'), 77},
        {"set from inside", [](pfc::string8& s) { s = "abcdef", s.set_string(s.get_ptr() + 2, 3); }, "cde", 23},
        // A shrinking set from its own tail: the block moves under the source.
        {"set from own tail, shrinks", [](pfc::string8& s) { s = std::string(60, 'q').c_str(), s.set_string(s.get_ptr() + 55); },
         "qqqqq", 6},
        {"add of nothing shrinks", [](pfc::string8& s) { s.lock_buffer(100), s.add_string("", pfc::infinite_size); }, "", 1},
        {"add of length 0", [](pfc::string8& s) { s = "abcd", s.add_string("xyz", 0); }, "abcd", 21},
        {"truncate longer: no refit", [](pfc::string8& s) { s = "abcd", s.truncate(10); }, "abcd", 21},
        {"truncate, 23 <= 3 + 32", [](pfc::string8& s) { s = "abcdef", s.truncate(2); }, "ab", 23},
        {"truncate shrinks", [](pfc::string8& s) { s = std::string(50, 'x').c_str(), s.truncate(4); }, "xxxx", 5},
        {"truncate to 0 keeps a block", [](pfc::string8& s) { s = "abcdef", s.truncate(0); }, "", 23},
        // lock_buffer zeroes the whole block and leaves the length; unlock_buffer takes the text.
        {"lock on a new buffer", [](pfc::string8& s) {
             char* block = s.lock_buffer(100);
             EXPECT_EQ(std::string(block, 117), std::string(117, '\0'));
             std::strcpy(block, "xyz"), s.unlock_buffer();
         }, "xyz", 4},
        {"lock keeps a block that fits", [](pfc::string8& s) {
             s = std::string(110, 'k').c_str();
             char* block = s.lock_buffer(100);
             EXPECT_EQ(std::string(block, 127), std::string(127, '\0'));
             EXPECT_EQ(s.get_length(), 110u) << "the length waits for unlock_buffer";
             std::strcpy(block, "0123456789"), s.unlock_buffer();
         }, "0123456789", 11},
        {"unlock without any NUL stops at the block end",
         [](pfc::string8& s) { std::memset(s.lock_buffer(100), 'q', 117), s.unlock_buffer(); }, std::string(117, 'q'), 134},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pfc::string8 s;
        c.run(s);
        EXPECT_EQ(std::make_tuple(std::string(s.get_ptr()), s.get_length(), block_size(s)),
                  std::make_tuple(c.text, static_cast<t_size>(c.text.size()), c.block));
        expect_sound(s);
    }
}

TEST_F(String8, SizesThatWouldWrapAreRefused) {
    pfc::string8 s("keep");
    const auto before = state_of(s);
    for (const t_size n : {pfc::infinite_size, pfc::infinite_size - 1, 0xFFFFFFF0u}) {
        expect_bad_alloc([&] { s.lock_buffer(n); });
        EXPECT_EQ(state_of(s), before);
    }
}

TEST_F(String8, CopiesAreIndependent) {
    pfc::string8 a("first"), b(a);
    b.add_string("!");
    EXPECT_STREQ(a.get_ptr(), "first");
    a = b;
    b = "x";
    EXPECT_STREQ(a.get_ptr(), "first!");
    a = a;
    EXPECT_STREQ(a.get_ptr(), "first!");
}

TEST_F(String8, EveryFailedAllocationLeavesTheBufferAsItWas) {
    using op = void (*)(pfc::string8&);
    const op small = [](pfc::string8& s) { s.set_string("ab"); };
    const op large = [](pfc::string8& s) { s.set_string(std::string(80, 'L').c_str()); };
    const struct { const char* name; op setup, run; int allocations; } ops[] = {
        {"set grows", small, [](pfc::string8& s) { s.set_string(std::string(40, 's').c_str()); }, 1},
        {"set shrinks", large, [](pfc::string8& s) { s.set_string("s"); }, 1},
        {"set from inside", large, [](pfc::string8& s) { s.set_string(s.get_ptr() + 70); }, 2},
        {"add grows", small, [](pfc::string8& s) { s.add_string(std::string(40, 'a').c_str()); }, 1},
        {"add own text", [](pfc::string8& s) { s.set_string("abcdef"); }, [](pfc::string8& s) { s.add_string(s.get_ptr() + 2); }, 1},
        {"add own, grows", large, [](pfc::string8& s) { s.add_string(s.get_ptr()); }, 2},
        {"add nothing shrinks", [](pfc::string8& s) { s.lock_buffer(100); }, [](pfc::string8& s) { s.add_string(nullptr); }, 1},
        {"truncate shrinks", large, [](pfc::string8& s) { s.truncate(3); }, 1},
        {"lock grows", small, [](pfc::string8& s) { s.lock_buffer(200); }, 1},
        {"lock on empty", [](pfc::string8&) {}, [](pfc::string8& s) { s.lock_buffer(5); }, 1},
        {"unlock shrinks", [](pfc::string8& s) { std::strcpy(s.lock_buffer(100), "short"); },
         [](pfc::string8& s) { s.unlock_buffer(); }, 1},
    };
    for (const auto& o : ops) {
        SCOPED_TRACE(o.name);
        pfc::string8 s;
        o.setup(s);
        EXPECT_EQ(sweep_allocation_failures([&] { o.run(s); }, [&] { return state_of(s); }), o.allocations);
        s.unlock_buffer();  // a no-op on an unlocked text; takes a locked one back
        expect_sound(s);
    }
}

TEST(StrlenMax, BoundsAndNulAndReadsNothingAtOrPastTheMaximum) {
    EXPECT_EQ(pfc::strlen_max(nullptr, 5), 0u);
    EXPECT_EQ(pfc::strlen_max("abc", 2), 2u);
    EXPECT_EQ(pfc::strlen_max("abc", pfc::infinite_size), 3u);
    EXPECT_EQ(pfc::strlen_max("abc", 0), 0u);
    EXPECT_EQ(pfc::strlen_max("", 9), 0u);
    guarded_bytes bytes(16, 'x');  // no NUL before the guard page
    EXPECT_EQ(pfc::strlen_max(bytes.data(), 16), 16u);
    EXPECT_EQ(pfc::strlen_max(bytes.data() + 16, 0), 0u);
    // A length-bounded, unterminated source for the buffer itself.
    pfc::string8 s;
    s.set_string(bytes.data(), 16);
    s.add_string(bytes.data() + 10, 6);
    EXPECT_EQ(s.get_ptr(), std::string(22, 'x'));
}

TEST(ConvertUtf8ToUtf16, DecodesAndReplaces) {
    const struct { const char* source; std::u16string expected; } cases[] = {
        {nullptr, u""}, {"", u""}, {"\xC3\xA9", u"\u00E9"}, {"\xFF", u"\uFFFD"}, {"Artist - Title", u"Artist - Title"},
        {"\xF0\x9F\x8E\xB5", u"\U0001F3B5"}, {"a\xE2\x82" "b", u"a\uFFFDb"},
    };
    for (const auto& c : cases) EXPECT_EQ(convertUTF8toUTF16(c.source), c.expected) << (&c - cases);
}

TEST(ConvertUtf8ToUtf16, ReadsAtMostTheFirst65536Bytes) {
    // No NUL anywhere, and the byte after the limit is unreadable.
    guarded_bytes unterminated(65536, 'a');
    EXPECT_EQ(convertUTF8toUTF16(unterminated.data()), forms::String(65536, u'a'));
    // The last NUL that still counts is at position 65,535.
    guarded_bytes terminated(65536, 'b');
    terminated.data()[65535] = '\0';
    EXPECT_EQ(convertUTF8toUTF16(terminated.data()), forms::String(65535, u'b'));
    // A sequence broken by the cut decodes as one replacement, not as bytes past it.
    guarded_bytes split(65536, 'c');
    std::memcpy(split.data() + 65534, "\xE2\x82", 2);
    EXPECT_EQ(convertUTF8toUTF16(split.data()), forms::String(65534, u'c') + u'\uFFFD');
}

TEST(ConvertUtf8ToUtf16, AppendsToABufferReadingNoBytePastTheNulAtAnyLength) {
    forms::String buffer = u"ab";
    convertUTF8toUTF16("\xC3\xA9x", buffer);
    convertUTF8toUTF16(nullptr, buffer);
    convertUTF8toUTF16("", buffer);
    EXPECT_EQ(buffer, u"ab\u00E9x");
    // Texts that end just before an unreadable page, at every length around
    // the word size and around the longest text decoded on the stack, plain
    // and ending in a two-byte sequence.
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 20; ++length) lengths.push_back(length);
    for (std::size_t length = 250; length <= 262; ++length) lengths.push_back(length);
    for (std::size_t length : lengths) {
        guarded_bytes plain(length + 1, 'p');
        plain.data()[length] = '\0';
        EXPECT_EQ(convertUTF8toUTF16(plain.data()), forms::String(length, u'p')) << length;
        if (length < 2) continue;
        guarded_bytes accented(length + 1, 'q');
        std::memcpy(accented.data() + length - 2, "\xC3\xA9", 3);
        EXPECT_EQ(convertUTF8toUTF16(accented.data()), forms::String(length - 2, u'q') + u'\u00E9') << length;
    }
}

// Into an array of the caller's: a text whose bytes fit the room and the
// stack's copy is decoded there; a longer one writes nothing and says so.
TEST(ConvertUtf8ToUtf16, IntoAnArrayOnlyWhatFits) {
    const std::string a256(256, 'a'), a257(257, 'a');
    const struct { const char* source; std::size_t room; std::u16string expected; bool fits; } cases[] = {
        {nullptr, 0, u"", true}, {"abc", 3, u"abc", true}, {"abc", 2, u"", false}, {"\xC3\xA9", 2, u"\u00E9", true},
        {"\xC3\xA9", 1, u"", false}, {a256.c_str(), 300, std::u16string(256, u'a'), true}, {a257.c_str(), 300, u"", false},
    };
    for (const auto& c : cases) {
        std::u16string out(300, u'Z');
        const std::size_t written = convertUTF8toUTF16(c.source, out.data(), c.room);
        if (!c.fits) {
            EXPECT_EQ(written, convert_too_long) << (&c - cases);
            EXPECT_EQ(out, std::u16string(300, u'Z')) << (&c - cases);
            continue;
        }
        ASSERT_EQ(written, c.expected.size()) << (&c - cases);
        EXPECT_EQ(out.substr(0, written), c.expected) << (&c - cases);
        EXPECT_EQ(out.substr(written), std::u16string(300 - written, u'Z')) << (&c - cases);
    }
}

TEST(ConvertUtf8ToUtf16, OutOfMemoryIsBadAllocation) {
    // A text longer than a tag, whose copy takes a block of its own.
    const std::string text(1000, 't');
    const allocation_failure out_of_memory(1);
    expect_bad_alloc([&] { convertUTF8toUTF16(text.c_str()); });
    forms::String buffer = u"kept";
    const allocation_failure again(1);
    expect_bad_alloc([&] { convertUTF8toUTF16(text.c_str(), buffer); });
    EXPECT_EQ(buffer, u"kept");
}

}  // namespace
