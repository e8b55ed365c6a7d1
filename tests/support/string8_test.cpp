#include "support/string8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "support_testing.h"

namespace {

using support_testing::guarded_bytes;
using support_testing::sweep_allocation_failures;
using support_testing::vtable_slot;

t_size block_size(const pfc::string8& s) { return s.get_storage().get_capacity(); }

// Everything a failed operation must leave as it found it.
auto state_of(const pfc::string8& s) {
    return std::make_tuple(std::string(s.get_ptr()), s.get_length(), s.get_storage().get_size(),
                           s.get_storage().get_capacity(), static_cast<const void*>(s.get_storage().get_ptr()));
}

// The string8 invariant: the whole block in use, the text NUL-terminated inside it.
void expect_sound(const pfc::string8& s) {
    EXPECT_EQ(s.get_storage().get_size(), s.get_storage().get_capacity());
    if (s.get_length() > 0) {
        ASSERT_LT(s.get_length(), block_size(s));
        EXPECT_EQ(s.get_storage().get_ptr()[s.get_length()], '\0');
        EXPECT_EQ(std::strlen(s.get_ptr()), s.get_length());
    }
}

class String8 : public ::testing::Test {
protected:
    void SetUp() override { m_blocks = platform::heap_live_blocks(); }
    void TearDown() override { EXPECT_EQ(platform::heap_live_blocks(), m_blocks) << "a block leaked"; }

private:
    std::int64_t m_blocks = 0;
};

TEST(StringBase, SlotsAreInTheHostsOrder) {
    EXPECT_EQ(vtable_slot(&pfc::string_receiver::add_string), 0);
    EXPECT_EQ(vtable_slot(&pfc::string_base::add_string), 0);
    EXPECT_EQ(vtable_slot(&pfc::string_base::get_ptr), 1);
    EXPECT_EQ(vtable_slot(&pfc::string_base::set_string), 2);
    EXPECT_EQ(vtable_slot(&pfc::string_base::truncate), 3);
    EXPECT_EQ(vtable_slot(&pfc::string_base::get_length), 4);
    EXPECT_EQ(vtable_slot(&pfc::string_base::lock_buffer), 5);
    EXPECT_EQ(vtable_slot(&pfc::string_base::unlock_buffer), 6);
}

TEST_F(String8, NewBufferIsEmptyWithoutBlock) {
    const std::int64_t blocks = platform::heap_live_blocks();
    pfc::string8 s;
    EXPECT_EQ(s.get_length(), 0u);
    ASSERT_NE(s.get_ptr(), nullptr);
    EXPECT_STREQ(s.get_ptr(), "");
    EXPECT_EQ(s.get_storage().get_ptr(), nullptr);
    EXPECT_EQ(block_size(s), 0u);
    EXPECT_EQ(platform::heap_live_blocks(), blocks);
}

TEST_F(String8, FitRuleGrowsWithHeadroomAndShrinksOnlyPast32Spare) {
    struct step {
        std::string text;
        t_size block;
    };
    const std::vector<step> steps = {
        {"abcdefghij", 27},                // 11 + 16
        {std::string(40, 'x'), 57},        // 41 + 16
        {"abcde", 6},                      // 57 > 6 + 32: exactly the need
        {std::string(21, 'y'), 38},        // 22 + 16
        {"abcde", 38},                     // 38 is not more than 6 + 32
        {std::string(37, 'z'), 38},        // need 38 fits
        {std::string(38, 'w'), 55},        // need 39 grows
        {std::string(22, 'v'), 55},        // exactly 32 spare stay
        {std::string(21, 'u'), 22},        // 33 spare: shrink
        {"", 22},                          // need 1: 22 is not more than 33
    };
    pfc::string8 s;
    for (const step& st : steps) {
        SCOPED_TRACE(st.text.size());
        s.set_string(st.text.c_str(), pfc::infinite_size);
        EXPECT_EQ(s.get_length(), st.text.size());
        EXPECT_EQ(s.get_ptr(), st.text);
        EXPECT_EQ(block_size(s), st.block);
        expect_sound(s);
    }
}

TEST_F(String8, LengthBoundsTheCopyAndNulEndsItEarlier) {
    const struct {
        const char* text;
        t_size length;
        const char* expected;
    } cases[] = {
        {"hello", 3, "hel"},        {"hi", 10, "hi"},        {"hello", 0, ""},
        {"hello", pfc::infinite_size, "hello"}, {"ab\0cd", 5, "ab"}, {nullptr, 5, ""},
    };
    for (const auto& c : cases) {
        pfc::string8 set;
        set.set_string(c.text, c.length);
        EXPECT_STREQ(set.get_ptr(), c.expected);
        EXPECT_EQ(set.get_length(), std::strlen(c.expected));
        expect_sound(set);

        pfc::string8 add("12");
        add.add_string(c.text, c.length);
        EXPECT_EQ(add.get_ptr(), std::string("12") + c.expected);
        expect_sound(add);

        const pfc::string8 built(c.text, c.length);
        EXPECT_STREQ(built.get_ptr(), c.expected);
    }
}

TEST_F(String8, NullTextStillAppliesTheFitRule) {
    pfc::string8 s;
    s.set_string(nullptr);
    EXPECT_EQ(s.get_length(), 0u);
    EXPECT_EQ(block_size(s), 17u);
    EXPECT_STREQ(s.get_ptr(), "");
}

TEST_F(String8, SourceInsideTheBufferIsCopiedFirst) {
    pfc::string8 add("abcdef");
    add.add_string(add.get_ptr() + 2, pfc::infinite_size);
    EXPECT_STREQ(add.get_ptr(), "abcdefcdef");
    expect_sound(add);

    // Grows past the block: a source still read from the old block would be freed memory.
    pfc::string8 doubled(std::string(30, 'a').c_str());
    doubled.add_string(doubled.get_ptr(), pfc::infinite_size);
    EXPECT_EQ(doubled.get_ptr(), std::string(60, 'a'));

    pfc::string8 set("abcdef");
    set.set_string(set.get_ptr() + 2, 3);
    EXPECT_STREQ(set.get_ptr(), "cde");
    expect_sound(set);

    // A shrinking set from its own tail: the block moves under the source.
    pfc::string8 shrink(std::string(60, 'q').c_str());
    shrink.set_string(shrink.get_ptr() + 55, pfc::infinite_size);
    EXPECT_STREQ(shrink.get_ptr(), "qqqqq");
    EXPECT_EQ(block_size(shrink), 6u);
}

TEST_F(String8, AddOfNothingKeepsTextButMayShrink) {
    pfc::string8 s;
    s.lock_buffer(100);  // block of 117, text still empty
    ASSERT_EQ(block_size(s), 117u);
    s.add_string("", pfc::infinite_size);
    EXPECT_EQ(s.get_length(), 0u);
    EXPECT_EQ(block_size(s), 1u);

    pfc::string8 t("abcd");
    ASSERT_EQ(block_size(t), 21u);
    t.add_string("xyz", 0);
    EXPECT_STREQ(t.get_ptr(), "abcd");
    EXPECT_EQ(block_size(t), 21u);
}

TEST_F(String8, Truncate) {
    pfc::string8 s("abcd");
    s.truncate(10);
    EXPECT_STREQ(s.get_ptr(), "abcd");
    EXPECT_EQ(block_size(s), 21u);

    s.set_string("abcdef");
    s.truncate(2);
    EXPECT_STREQ(s.get_ptr(), "ab");
    EXPECT_EQ(block_size(s), 21u);  // 21 is not more than 3 + 32

    pfc::string8 big(std::string(50, 'x').c_str());
    big.truncate(4);
    EXPECT_EQ(big.get_ptr(), std::string(4, 'x'));
    EXPECT_EQ(block_size(big), 5u);
    expect_sound(big);

    big.truncate(0);
    EXPECT_STREQ(big.get_ptr(), "");
    EXPECT_NE(big.get_storage().get_ptr(), nullptr);
    EXPECT_NE(static_cast<const void*>(big.get_ptr()), big.get_storage().get_ptr())
        << "an empty text is the static one, even with a block";
}

TEST_F(String8, LockZeroesTheWholeBlockAndUnlockTakesTheText) {
    pfc::string8 s;
    char* block = s.lock_buffer(100);
    ASSERT_EQ(block_size(s), 117u);
    for (t_size i = 0; i < 117; ++i) ASSERT_EQ(block[i], '\0') << i;
    EXPECT_EQ(s.get_length(), 0u);
    std::memcpy(block, "xyz", 4);
    s.unlock_buffer();
    EXPECT_STREQ(s.get_ptr(), "xyz");
    EXPECT_EQ(s.get_length(), 3u);
    EXPECT_EQ(block_size(s), 4u);

    pfc::string8 kept(std::string(110, 'k').c_str());
    ASSERT_EQ(block_size(kept), 127u);
    block = kept.lock_buffer(100);
    EXPECT_EQ(block_size(kept), 127u);
    for (t_size i = 0; i < 127; ++i) ASSERT_EQ(block[i], '\0') << i;
    EXPECT_EQ(kept.get_length(), 110u) << "the length waits for unlock_buffer";
    std::memcpy(block, "0123456789", 11);
    kept.unlock_buffer();
    EXPECT_STREQ(kept.get_ptr(), "0123456789");
    EXPECT_EQ(block_size(kept), 11u);
}

TEST_F(String8, UnlockWithoutAnyNulStopsAtTheBlockEnd) {
    pfc::string8 s;
    char* block = s.lock_buffer(100);
    std::memset(block, 'q', 117);  // the writer overran its n and the NUL
    s.unlock_buffer();
    EXPECT_EQ(s.get_length(), 117u);
    EXPECT_EQ(s.get_ptr(), std::string(117, 'q'));
    expect_sound(s);
}

TEST_F(String8, SizesThatWouldWrapAreRefused) {
    pfc::string8 s("keep");
    const auto before = state_of(s);
    for (const t_size n : {pfc::infinite_size, pfc::infinite_size - 1, 0xFFFFFFF0u}) {
        try {
            s.lock_buffer(n);
            ADD_FAILURE() << "lock_buffer(" << n << ") answered";
        } catch (const std::bad_alloc& e) {
            EXPECT_STREQ(e.what(), "bad allocation");
        }
        EXPECT_EQ(state_of(s), before);
    }
}

TEST_F(String8, CopiesAreIndependent) {
    pfc::string8 a("first");
    pfc::string8 b(a);
    b.add_string("!");
    EXPECT_STREQ(a.get_ptr(), "first");
    EXPECT_STREQ(b.get_ptr(), "first!");
    a = b;
    EXPECT_STREQ(a.get_ptr(), "first!");
    a = "x";
    EXPECT_STREQ(a.get_ptr(), "x");
    a = a;
    EXPECT_STREQ(a.get_ptr(), "x");
}

TEST_F(String8, EveryFailedAllocationLeavesTheBufferAsItWas) {
    struct op {
        const char* name;
        void (*setup)(pfc::string8&);
        void (*run)(pfc::string8&);
        int allocations;
    };
    const auto small = [](pfc::string8& s) { s.set_string("ab"); };
    const auto large = [](pfc::string8& s) { s.set_string(std::string(80, 'L').c_str()); };
    const op ops[] = {
        {"set grows", small, [](pfc::string8& s) { s.set_string(std::string(40, 's').c_str()); }, 1},
        {"set shrinks", large, [](pfc::string8& s) { s.set_string("s"); }, 1},
        {"set from inside", large, [](pfc::string8& s) { s.set_string(s.get_ptr() + 70); }, 2},
        {"add grows", small, [](pfc::string8& s) { s.add_string(std::string(40, 'a').c_str()); }, 1},
        {"add own text", [](pfc::string8& s) { s.set_string("abcdef"); },
         [](pfc::string8& s) { s.add_string(s.get_ptr() + 2); }, 1},
        {"add own, grows", large, [](pfc::string8& s) { s.add_string(s.get_ptr()); }, 2},
        {"add nothing shrinks", [](pfc::string8& s) { s.lock_buffer(100); },
         [](pfc::string8& s) { s.add_string(nullptr); }, 1},
        {"truncate shrinks", large, [](pfc::string8& s) { s.truncate(3); }, 1},
        {"lock grows", small, [](pfc::string8& s) { s.lock_buffer(200); }, 1},
        {"lock on empty", [](pfc::string8&) {}, [](pfc::string8& s) { s.lock_buffer(5); }, 1},
        {"unlock shrinks", [](pfc::string8& s) { std::strcpy(s.lock_buffer(100), "short"); },
         [](pfc::string8& s) { s.unlock_buffer(); }, 1},
    };
    for (const op& o : ops) {
        SCOPED_TRACE(o.name);
        pfc::string8 s;
        o.setup(s);
        const int seen = sweep_allocation_failures([&] { o.run(s); }, [&] { return state_of(s); });
        EXPECT_EQ(seen, o.allocations);
        s.unlock_buffer();  // a no-op on an unlocked text; takes a locked one back
        expect_sound(s);
    }
}

TEST(StrlenMax, BoundsAndNul) {
    EXPECT_EQ(pfc::strlen_max(nullptr, 5), 0u);
    EXPECT_EQ(pfc::strlen_max("abc", 2), 2u);
    EXPECT_EQ(pfc::strlen_max("abc", pfc::infinite_size), 3u);
    EXPECT_EQ(pfc::strlen_max("abc", 0), 0u);
    EXPECT_EQ(pfc::strlen_max("", 9), 0u);
}

TEST(StrlenMax, ReadsNothingAtOrPastTheMaximum) {
    guarded_bytes bytes(16);
    std::memset(bytes.data(), 'x', 16);  // no NUL before the guard page
    EXPECT_EQ(pfc::strlen_max(bytes.data(), 16), 16u);
    EXPECT_EQ(pfc::strlen_max(bytes.data() + 16, 0), 0u);

    // A length-bounded, unterminated source for the buffer itself.
    pfc::string8 s;
    s.set_string(bytes.data(), 16);
    EXPECT_EQ(s.get_ptr(), std::string(16, 'x'));
    s.add_string(bytes.data() + 10, 6);
    EXPECT_EQ(s.get_length(), 22u);
}

}  // namespace
