#include "support/array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "support_testing.h"

namespace {

using support_testing::counted;
using support_testing::sweep_allocation_failures;
using fast_array = pfc::array_t<counted, pfc::alloc_fast>;

template <typename t_array>
auto state_of(const t_array& a) {
    std::vector<int> values;
    for (t_size i = 0; i < a.get_size(); ++i) values.push_back(a[i].value);
    return std::make_tuple(values, a.get_size(), a.get_capacity(), static_cast<const void*>(a.get_ptr()),
                           counted::live());
}

void fill(fast_array& a, t_size n) {
    a.set_size(n);
    for (t_size i = 0; i < n; ++i) a[i].value = static_cast<int>(i) + 1;
}

class Array : public support_testing::counted_test {};

TEST(ArrayHelpers, CalcArrayWidth) {
    EXPECT_EQ(pfc::calc_array_width<char>(0), 0u);
    EXPECT_EQ(pfc::calc_array_width<t_uint32>(3), 12u);
    EXPECT_EQ(pfc::calc_array_width<t_uint32>(0x3FFFFFFF), 0xFFFFFFFCu);
    EXPECT_EQ(pfc::calc_array_width<char>(0xFFFFFFFF), 0xFFFFFFFFu);
    for (t_size too_many : {0x40000000u, 0xFFFFFFFFu}) {
        try {
            pfc::calc_array_width<t_uint32>(too_many);
            ADD_FAILURE() << too_many;
        } catch (const std::bad_alloc& e) {
            EXPECT_STREQ(e.what(), "bad allocation");
        }
    }
}

TEST(ArrayHelpers, SafeShiftLeft) {
    EXPECT_EQ((pfc::safe_shift_left_t<std::bad_alloc, t_size>(1)), 2u);
    EXPECT_EQ((pfc::safe_shift_left_t<std::bad_alloc, t_size>(0x40000000)), 0x80000000u);
    try {
        pfc::safe_shift_left_t<std::bad_alloc, t_size>(0x80000000u);
        ADD_FAILURE() << "2^31 doubled";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_THROW((pfc::safe_shift_left_t<pfc::exception_overflow, t_size>(0xC0000000u)), pfc::exception_overflow);
}

TEST_F(Array, SwapExchangesByValue) {
    counted a(1), b(2);
    pfc::swap_t(a, b);
    EXPECT_EQ(a.value, 2);
    EXPECT_EQ(b.value, 1);
    EXPECT_EQ(counted::copies, 1);
    EXPECT_EQ(counted::assignments, 2);
    EXPECT_EQ(counted::destructions, 1);
}

TEST_F(Array, LayoutIsPointerCountCapacity) {
    fast_array a;
    fill(a, 3);
    const char* base = reinterpret_cast<const char*>(&a);
    const void* items;
    t_uint32 count, capacity;
    std::memcpy(&items, base, sizeof items);
    std::memcpy(&count, base + sizeof(void*), 4);
    std::memcpy(&capacity, base + sizeof(void*) + 4, 4);
    EXPECT_EQ(items, a.get_ptr());
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(capacity, 4u);
}

TEST_F(Array, FastCapacityDoublesAndHalves) {
    const struct {
        t_size from;  // capacity reached first (0: a new array)
        t_size size;
        t_size capacity;
    } cases[] = {
        {0, 0, 1},  {0, 1, 1},  {1, 3, 4},   {4, 5, 8},   {8, 9, 16},  {16, 16, 16}, {16, 17, 32},
        {64, 5, 16}, {64, 0, 2}, {64, 16, 64}, {64, 15, 32}, {2, 0, 2},   {4, 1, 4},   {8, 1, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.size);
        fast_array a;
        if (c.from > 0) a.set_size(c.from);
        ASSERT_EQ(a.get_capacity(), c.from);
        a.set_size(c.size);
        EXPECT_EQ(a.get_size(), c.size);
        EXPECT_EQ(a.get_capacity(), c.capacity);
        EXPECT_EQ(counted::live(), static_cast<long>(c.size));
    }
}

TEST_F(Array, ElementsSurviveEveryResize) {
    fast_array a;
    for (t_size n : {1u, 2u, 3u, 5u, 8u, 9u, 17u, 100u, 30u, 4u, 1u, 0u, 6u}) {
        const t_size kept = std::min(n, a.get_size());
        std::vector<int> before;
        for (t_size i = 0; i < kept; ++i) before.push_back(a[i].value);
        a.set_size(n);
        for (t_size i = 0; i < kept; ++i) ASSERT_EQ(a[i].value, before[i]) << "n " << n << " i " << i;
        for (t_size i = 0; i < n; ++i) a[i].value = static_cast<int>(n * 1000 + i);
        EXPECT_EQ(counted::live(), static_cast<long>(n));
    }
}

TEST_F(Array, ShrinkingInPlaceCopiesNothing) {
    fast_array a;
    fill(a, 64);
    const void* block = a.get_ptr();
    counted::copies = 0;
    a.set_size(5);
    EXPECT_EQ(a.get_capacity(), 16u);
    EXPECT_EQ(a.get_ptr(), block) << "the heap can always shrink a block where it lies";
    EXPECT_EQ(counted::copies, 0);
}

TEST_F(Array, ThrowingCopyLeavesTheArrayAsItWas) {
    fast_array a;
    fill(a, 4);  // capacity 4: growing to 8 must copy
    for (long refuse_at : {0L, 1L, 3L}) {
        SCOPED_TRACE(refuse_at);
        const auto before = state_of(a);
        counted::copies_before_throw = refuse_at;
        EXPECT_THROW(a.set_size(5), std::runtime_error);
        counted::copies_before_throw = -1;
        EXPECT_EQ(state_of(a), before);
    }
    a.set_size(5);
    EXPECT_EQ(a.get_capacity(), 8u);
    EXPECT_EQ(a[3].value, 4);
}

TEST_F(Array, EveryFailedAllocationLeavesTheArrayAsItWas) {
    for (const auto& [from, to] : {std::pair<t_size, t_size>{0, 1}, {0, 0}, {3, 5}, {4, 100}, {64, 0}, {64, 5}}) {
        SCOPED_TRACE(testing::Message() << from << " -> " << to);
        fast_array a;
        fill(a, from);
        sweep_allocation_failures([&] { a.set_size(to); }, [&] { return state_of(a); });
        EXPECT_EQ(a.get_size(), to);
    }
}

TEST_F(Array, CapacityThatCannotDoubleIsRefused) {
    using byte_array = pfc::array_t<char, pfc::alloc_fast>;
    byte_array a;
    try {
        a.set_size(0x80000001u);
        ADD_FAILURE() << "a capacity past 2^31 was doubled";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_EQ(a.get_capacity(), 0u);
    EXPECT_EQ(platform::heap_allocations(), 0u);

    fast_array wide;  // 2^30 elements of 4 bytes
    EXPECT_THROW(wide.set_size(0x40000000u), std::bad_alloc);
    EXPECT_EQ(wide.get_capacity(), 0u);
    EXPECT_EQ(platform::heap_allocations(), 0u);
}

// Records the order of destruction; one value refuses to die quietly.
struct loud {
    static inline std::vector<int> destroyed;
    int value = 0;
    loud() = default;
    loud(const loud&) = default;
    loud& operator=(const loud&) = default;
    ~loud() noexcept(false) {
        destroyed.push_back(value);
        if (value == 2) throw std::runtime_error("refused");
    }
};

TEST(ArrayDestruction, AscendingAndNothingEscapes) {
    loud::destroyed.clear();
    {
        pfc::array_t<loud, pfc::alloc_fast> a;
        a.set_size(6);
        for (t_size i = 0; i < 6; ++i) a[i].value = static_cast<int>(i);
        EXPECT_NO_THROW(a.set_size(4));
        EXPECT_EQ(loud::destroyed, (std::vector<int>{4, 5}));
        loud::destroyed.clear();
    }
    EXPECT_EQ(loud::destroyed, (std::vector<int>{0, 1, 2, 3}));
}

TEST(ArrayStandard, ExactSizesKeepTheBytes) {
    const std::int64_t blocks = platform::heap_live_blocks();
    {
        pfc::array_t<char> a;
        a.set_size(3, 10);
        EXPECT_EQ(a.get_size(), 3u);
        EXPECT_EQ(a.get_capacity(), 10u);
        std::memcpy(a.get_ptr(), "abcdefghi", 10);
        a.set_size(20, 20);
        EXPECT_STREQ(a.get_ptr(), "abcdefghi");
        a.set_size(4, 4);
        EXPECT_EQ(std::string(a.get_ptr(), 4), "abcd");

        EXPECT_EQ(sweep_allocation_failures([&] { a.set_size(2, 2); },
                                            [&] { return std::make_tuple(a.get_size(), a.get_capacity(),
                                                                         std::string(a.get_ptr(), 4)); }),
                  1);
        a.set_size(0, 0);
        EXPECT_EQ(a.get_ptr(), nullptr);
        EXPECT_EQ(a.get_capacity(), 0u);
    }
    EXPECT_EQ(platform::heap_live_blocks(), blocks);
}

TEST(ArrayAggressive, DoublesNeverShrinksAndReleases) {
    const std::int64_t blocks = platform::heap_live_blocks();
    pfc::array_t<unsigned char, pfc::alloc_fast_aggressive> a;
    const struct {
        t_size size;
        t_size capacity;
    } steps[] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {9, 16}, {0, 16}, {16, 16}, {17, 32}, {5, 32}, {100, 128}};
    for (const auto& s : steps) {
        a.set_size(s.size);
        EXPECT_EQ(a.get_size(), s.size);
        EXPECT_EQ(a.get_capacity(), s.capacity);
    }
    std::memset(a.get_ptr(), 0x5A, 100);
    const auto state = [&] {
        return std::make_tuple(a.get_size(), a.get_capacity(), std::vector<unsigned char>(a.get_ptr(), a.get_ptr() + 100));
    };
    EXPECT_EQ(sweep_allocation_failures([&] { a.set_size(1000); }, state), 1);
    EXPECT_EQ(a.get_capacity(), 1024u);
    EXPECT_EQ(a.get_ptr()[99], 0x5A);

    platform::heap_disarm();
    EXPECT_THROW(a.set_size(0x80000001u), std::bad_alloc);
    EXPECT_EQ(a.get_capacity(), 1024u);
    EXPECT_EQ(platform::heap_allocations(), 0u);

    a.release();
    EXPECT_EQ(a.get_ptr(), nullptr);
    EXPECT_EQ(a.get_size(), 0u);
    EXPECT_EQ(a.get_capacity(), 0u);
    EXPECT_EQ(platform::heap_live_blocks(), blocks);
}

}  // namespace
