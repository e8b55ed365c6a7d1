#include "support/array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "support_testing.h"

namespace {

using namespace support_testing;
using fast_array = pfc::array_t<counted, pfc::alloc_fast>;

auto state_of(const fast_array& a) {
    std::vector<int> values;
    for (t_size i = 0; i < a.get_size(); ++i) values.push_back(a[i].value);
    return std::make_tuple(values, a.get_capacity(), static_cast<const void*>(a.get_ptr()), counted::live());
}

void fill(fast_array& a, t_size n) {
    a.set_size(n);
    for (t_size i = 0; i < n; ++i) a[i].value = static_cast<int>(i) + 1;
}

class Array : public heap_test {};

TEST(ArrayHelpers, WidthsAndDoublingThatDoNotFitAreBadAllocation) {
    EXPECT_EQ(pfc::calc_array_width<char>(0), 0u);
    EXPECT_EQ(pfc::calc_array_width<t_uint32>(3), 12u);
    EXPECT_EQ(pfc::calc_array_width<t_uint32>(0x3FFFFFFF), 0xFFFFFFFCu);
    EXPECT_EQ(pfc::calc_array_width<char>(0xFFFFFFFF), 0xFFFFFFFFu);
    expect_bad_alloc([] { pfc::calc_array_width<t_uint32>(0x40000000u); });
    expect_bad_alloc([] { pfc::calc_array_width<t_uint32>(0xFFFFFFFFu); });
    EXPECT_EQ((pfc::safe_shift_left_t<std::bad_alloc, t_size>(0x40000000)), 0x80000000u);
    expect_bad_alloc([] { pfc::safe_shift_left_t<std::bad_alloc, t_size>(0x80000000u); });
    EXPECT_THROW((pfc::safe_shift_left_t<pfc::exception_overflow, t_size>(0xC0000000u)), pfc::exception_overflow);
}

TEST_F(Array, SwapExchangesByValue) {
    counted a(1), b(2);
    pfc::swap_t(a, b);
    EXPECT_EQ(std::make_tuple(a.value, b.value, counted::copies, counted::assignments, counted::destructions),
              std::make_tuple(2, 1, 1L, 2L, 1L));
}

TEST_F(Array, FastCapacityDoublesAndHalvesKeepsTheElementsAndTheLayout) {
    // from: the capacity reached first (0: a new array).
    const struct { t_size from, size, capacity; } cases[] = {
        {0, 0, 1},   {0, 1, 1},   {1, 3, 4},    {4, 5, 8},    {8, 9, 16}, {16, 16, 16}, {16, 17, 32},
        {64, 5, 16}, {64, 0, 2},  {64, 16, 64}, {64, 15, 32}, {2, 0, 2},  {4, 1, 4},    {8, 1, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.size);
        fast_array a;
        if (c.from > 0) fill(a, c.from);
        ASSERT_EQ(a.get_capacity(), c.from);
        const void* block = a.get_ptr();
        const long copies = counted::copies;
        a.set_size(c.size);
        // The fields in order: pointer, count, capacity.
        EXPECT_EQ(std::make_tuple(field_at<const void*>(&a, 0), field_at<t_uint32>(&a, sizeof(void*)),
                                  field_at<t_uint32>(&a, sizeof(void*) + 4)),
                  std::make_tuple(static_cast<const void*>(a.get_ptr()), c.size, c.capacity));
        EXPECT_EQ(counted::live(), static_cast<long>(c.size));
        for (t_size i = 0; i < std::min(c.from, c.size); ++i) EXPECT_EQ(a[i].value, static_cast<int>(i) + 1);
        // The heap can always shrink a block where it lies: nothing is copied.
        EXPECT_TRUE(c.capacity >= c.from || (a.get_ptr() == block && counted::copies == copies));
    }
}

TEST_F(Array, ThrowingCopyLeavesTheArrayAsItWas) {
    const no_resize_in_place copying;  // growing from capacity 4 to 8 must copy
    fast_array a;
    fill(a, 4);
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

TEST_F(Array, CapacityThatCannotDoubleOrWhoseBytesDoNotFitIsRefused) {
    pfc::array_t<char, pfc::alloc_fast> bytes;
    expect_bad_alloc([&] { bytes.set_size(0x80000001u); });
    fast_array wide;  // 2^30 elements of 4 bytes
    expect_bad_alloc([&] { wide.set_size(0x40000000u); });
    EXPECT_EQ(bytes.get_capacity() + wide.get_capacity(), 0u);
    EXPECT_EQ(platform::heap_allocations(), 0u);
}

// Records the order of destruction; the value 2 throws from its destructor.
struct loud {
    static inline std::vector<int> destroyed;
    int value = 0;
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
    }
    EXPECT_EQ(loud::destroyed, (std::vector<int>{4, 5, 0, 1, 2, 3}));
}

TEST_F(Array, AggressiveDoublesNeverShrinksAndReleases) {
    pfc::array_t<unsigned char, pfc::alloc_fast_aggressive> a;
    const std::pair<t_size, t_size> steps[] = {{0, 1},  {1, 1},  {2, 2},   {3, 4},   {9, 16},
                                               {0, 16}, {16, 16}, {17, 32}, {5, 32}, {100, 128}};
    for (const auto& [size, capacity] : steps) {
        a.set_size(size);
        EXPECT_EQ(std::make_pair(a.get_size(), a.get_capacity()), std::make_pair(size, capacity));
    }
    std::memset(a.get_ptr(), 0x5A, 100);
    const auto state = [&] {
        return std::make_tuple(a.get_size(), a.get_capacity(), std::vector<unsigned char>(a.get_ptr(), a.get_ptr() + 100));
    };
    EXPECT_EQ(sweep_allocation_failures([&] { a.set_size(1000); }, state), 1);
    EXPECT_EQ(a.get_capacity(), 1024u);
    EXPECT_EQ(a.get_ptr()[99], 0x5A);
    EXPECT_THROW(a.set_size(0x80000001u), std::bad_alloc);
    EXPECT_EQ(a.get_capacity(), 1024u);
    EXPECT_EQ(platform::heap_allocations(), 0u);
    a.release();
    EXPECT_TRUE(a.get_ptr() == nullptr && a.get_size() == 0 && a.get_capacity() == 0);
}

}  // namespace
