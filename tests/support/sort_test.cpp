#include "support/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support_testing.h"

namespace {

using support_testing::vtable_slot;

// Sorts a vector of keys through the callback, counting calls and refusing
// any position outside the range it was given.
class key_sorter : public pfc::sort_callback {
public:
    explicit key_sorter(std::vector<int>& p_keys) : m_keys(p_keys) {}
    t_int32 compare(t_size a, t_size b) override {
        check(a, b);
        ++compares;
        calls.emplace_back(a, b);
        return m_keys[a] < m_keys[b] ? -1 : (m_keys[b] < m_keys[a] ? 1 : 0);
    }
    void swap(t_size a, t_size b) override {
        check(a, b);
        ++swaps;
        std::swap(m_keys[a], m_keys[b]);
    }

    long compares = 0;
    long swaps = 0;
    std::vector<std::pair<t_size, t_size>> calls;

private:
    void check(t_size a, t_size b) const {
        if (a >= m_keys.size() || b >= m_keys.size()) throw std::out_of_range("position outside the range");
    }
    std::vector<int>& m_keys;
};

// Keys with their initial positions; compared on the key only, so stability shows.
struct tagged {
    int key;
    int origin;
    bool operator==(const tagged&) const = default;
};

class tagged_sorter : public pfc::sort_callback {
public:
    explicit tagged_sorter(std::vector<tagged>& p_items) : m_items(p_items) {}
    t_int32 compare(t_size a, t_size b) override {
        if (a >= m_items.size() || b >= m_items.size()) throw std::out_of_range("position");
        return m_items[a].key < m_items[b].key ? -1 : (m_items[b].key < m_items[a].key ? 1 : 0);
    }
    void swap(t_size a, t_size b) override { std::swap(m_items.at(a), m_items.at(b)); }

private:
    std::vector<tagged>& m_items;
};

using pattern = std::vector<int> (*)(std::size_t, std::mt19937&);

const std::pair<const char*, pattern> patterns[] = {
    {"random", [](std::size_t n, std::mt19937& rng) {
         std::vector<int> v(n);
         for (int& x : v) x = static_cast<int>(rng());
         return v;
     }},
    {"few distinct", [](std::size_t n, std::mt19937& rng) {
         std::vector<int> v(n);
         for (int& x : v) x = static_cast<int>(rng() % 4);
         return v;
     }},
    {"sorted", [](std::size_t n, std::mt19937&) {
         std::vector<int> v(n);
         std::iota(v.begin(), v.end(), 0);
         return v;
     }},
    {"reversed", [](std::size_t n, std::mt19937&) {
         std::vector<int> v(n);
         std::iota(v.rbegin(), v.rend(), 0);
         return v;
     }},
    {"all equal", [](std::size_t n, std::mt19937&) { return std::vector<int>(n, 7); }},
    {"organ pipe", [](std::size_t n, std::mt19937&) {
         std::vector<int> v(n);
         for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<int>(std::min(i, n - 1 - i));
         return v;
     }},
    {"sawtooth", [](std::size_t n, std::mt19937&) {
         std::vector<int> v(n);
         for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<int>(i % 17);
         return v;
     }},
    {"sorted, one out of place", [](std::size_t n, std::mt19937&) {
         std::vector<int> v(n);
         std::iota(v.begin(), v.end(), 0);
         if (n > 1) std::swap(v.front(), v.back());
         return v;
     }},
};

const std::size_t sizes[] = {2, 3, 7, 8, 9, 10, 16, 17, 31, 100, 1000, 4097, 50000};

TEST(SortCallbacks, SlotsAreInTheHostsOrder) {
    EXPECT_EQ(vtable_slot(&pfc::sort_callback::compare), 0);
    EXPECT_EQ(vtable_slot(&pfc::sort_callback::swap), 1);
    EXPECT_EQ(vtable_slot(&pfc::reorder_callback::swap), 0);
}

TEST(Sort, ZeroOrOnePositionMakesNoCall) {
    std::vector<int> keys = {5};
    key_sorter cb(keys);
    pfc::sort(cb, 0);
    pfc::sort(cb, 1);
    pfc::sort_stable(cb, 0);
    pfc::sort_stable(cb, 1);
    EXPECT_EQ(cb.compares + cb.swaps, 0);
}

TEST(Sort, EightPositionsAreASelectionSort) {
    std::mt19937 rng(8);
    for (const auto& [name, make] : patterns) {
        SCOPED_TRACE(name);
        std::vector<int> keys = make(8, rng);
        std::vector<int> expected = keys;
        std::sort(expected.begin(), expected.end());
        key_sorter cb(keys);
        pfc::sort(cb, 8);
        EXPECT_EQ(keys, expected);
        EXPECT_EQ(cb.compares, 28);
        EXPECT_EQ(cb.swaps, 7);
    }
}

TEST(Sort, SelectionSortMovesTheFirstOfEqualLargestToTheEnd) {
    std::vector<tagged> items = {{5, 0}, {1, 1}, {5, 2}, {0, 3}};
    tagged_sorter cb(items);
    pfc::sort(cb, 4);
    EXPECT_EQ(items, (std::vector<tagged>{{0, 3}, {1, 1}, {5, 2}, {5, 0}}));
}

TEST(Sort, NinePositionsOrderTheThreeSamplesFirst) {
    std::vector<int> keys = {9, 8, 7, 6, 5, 4, 3, 2, 1};
    key_sorter cb(keys);
    pfc::sort(cb, 9);
    ASSERT_GE(cb.calls.size(), 3u);
    EXPECT_EQ(cb.calls[0], std::make_pair(0u, 4u));
    EXPECT_EQ(cb.calls[1], std::make_pair(0u, 8u));
    EXPECT_EQ(cb.calls[2], std::make_pair(4u, 8u));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

TEST(Sort, AgreesWithStdSort) {
    std::mt19937 rng(1);
    for (const auto& [name, make] : patterns) {
        for (std::size_t n : sizes) {
            SCOPED_TRACE(std::string(name) + ", n = " + std::to_string(n));
            std::vector<int> keys = make(n, rng);
            std::vector<int> expected = keys;
            std::sort(expected.begin(), expected.end());
            key_sorter cb(keys);
            pfc::sort(cb, static_cast<t_size>(n));
            EXPECT_EQ(keys, expected);
            // Quadratic behaviour on these inputs would show here long before the clock.
            const long bound = n <= 8 ? static_cast<long>(n * (n - 1) / 2) : static_cast<long>(4 * n * std::bit_width(n));
            EXPECT_LE(cb.compares, bound) << "comparisons";
        }
    }
}

TEST(SortStable, AgreesWithStdStableSort) {
    std::mt19937 rng(2);
    for (const auto& [name, make] : patterns) {
        for (std::size_t n : sizes) {
            SCOPED_TRACE(std::string(name) + ", n = " + std::to_string(n));
            const std::vector<int> keys = make(n, rng);
            std::vector<tagged> items(n);
            for (std::size_t i = 0; i < n; ++i) items[i] = {keys[i] % 5, static_cast<int>(i)};
            std::vector<tagged> expected = items;
            std::stable_sort(expected.begin(), expected.end(),
                             [](const tagged& a, const tagged& b) { return a.key < b.key; });
            tagged_sorter cb(items);
            pfc::sort_stable(cb, static_cast<t_size>(n));
            EXPECT_EQ(items, expected);
        }
    }
}

TEST(SortStable, TiesKeepTheirInitialOrder) {
    std::vector<tagged> pairs = {{1, 'a'}, {0, 'b'}, {1, 'c'}, {0, 'd'}};
    tagged_sorter cb(pairs);
    pfc::sort_stable(cb, 4);
    EXPECT_EQ(pairs, (std::vector<tagged>{{0, 'b'}, {0, 'd'}, {1, 'a'}, {1, 'c'}}));

    std::vector<tagged> equal(40);
    for (int i = 0; i < 40; ++i) equal[static_cast<std::size_t>(i)] = {3, i};
    const std::vector<tagged> before = equal;
    tagged_sorter cb_equal(equal);
    pfc::sort_stable(cb_equal, 40);
    EXPECT_EQ(equal, before);
}

TEST(SortStable, AllocationFailureMovesNothing) {
    const std::int64_t blocks = platform::heap_live_blocks();
    std::vector<int> keys = {3, 2, 1};
    key_sorter cb(keys);
    platform::heap_fail_at(1);
    try {
        pfc::sort_stable(cb, 3);
        ADD_FAILURE() << "the position array was not allocated";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    platform::heap_disarm();
    EXPECT_EQ(cb.compares + cb.swaps, 0);
    EXPECT_EQ(keys, (std::vector<int>{3, 2, 1}));

    // 2^30 positions of 4 bytes do not fit in 32 bits: refused before asking the heap.
    try {
        pfc::sort_stable(cb, 0x40000000u);
        ADD_FAILURE() << "an array wider than 32 bits was accepted";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_EQ(platform::heap_allocations(), 0u);
    EXPECT_EQ(cb.compares + cb.swaps, 0);

    // A throwing comparer still releases the position array.
    std::vector<int> many(100, 1);
    many[50] = 0;
    key_sorter bad(many);
    EXPECT_THROW(pfc::sort_stable(bad, 101), std::out_of_range);
    EXPECT_EQ(platform::heap_live_blocks(), blocks);
}

// Records swaps and applies them to a vector.
template <typename T>
class recording_reorder : public pfc::reorder_callback {
public:
    explicit recording_reorder(std::vector<T>& p_items) : m_items(p_items) {}
    void swap(t_size a, t_size b) override {
        swaps.emplace_back(a, b);
        std::swap(m_items.at(a), m_items.at(b));
    }
    std::vector<std::pair<t_size, t_size>> swaps;

private:
    std::vector<T>& m_items;
};

TEST(Reorder, SmallPermutations) {
    std::vector<char> items = {'a', 'b', 'c'};
    recording_reorder<char> cb(items);
    const t_size identity[3] = {0, 1, 2};
    pfc::reorder(cb, identity, 3);
    EXPECT_TRUE(cb.swaps.empty());

    const t_size exchange[2] = {1, 0};
    pfc::reorder(cb, exchange, 2);
    EXPECT_EQ(cb.swaps, (std::vector<std::pair<t_size, t_size>>{{0, 1}}));

    items = {'a', 'b', 'c'};
    cb.swaps.clear();
    const t_size rotate[3] = {1, 2, 0};
    pfc::reorder(cb, rotate, 3);
    EXPECT_EQ(cb.swaps, (std::vector<std::pair<t_size, t_size>>{{0, 1}, {1, 2}}));
    EXPECT_EQ(items, (std::vector<char>{'b', 'c', 'a'}));

    cb.swaps.clear();
    pfc::reorder(cb, nullptr, 0);
    EXPECT_TRUE(cb.swaps.empty());
}

TEST(Reorder, RandomPermutationsCostOneSwapLessThanEachCycle) {
    std::mt19937 rng(3);
    for (t_size n : {1u, 2u, 5u, 64u, 1000u, 8192u, 8193u, 20000u}) {
        SCOPED_TRACE(n);
        std::vector<t_size> order(n);
        std::iota(order.begin(), order.end(), 0u);
        std::shuffle(order.begin(), order.end(), rng);
        std::vector<t_size> items(n);
        std::iota(items.begin(), items.end(), 100u);
        const std::vector<t_size> before = items;

        std::size_t cycles = 0;
        std::vector<bool> seen(n);
        for (t_size i = 0; i < n; ++i) {
            if (seen[i]) continue;
            ++cycles;
            for (t_size j = i; !seen[j]; j = order[j]) seen[j] = true;
        }

        recording_reorder<t_size> cb(items);
        pfc::reorder(cb, order.data(), n);
        for (t_size i = 0; i < n; ++i) ASSERT_EQ(items[i], before[order[i]]) << i;
        EXPECT_EQ(cb.swaps.size(), n - cycles);
    }
}

TEST(Reorder, MarksBeyond8192PositionsTakeOneHeapBlock) {
    const auto try_reorder = [](t_size n) {
        std::vector<t_size> order(n);
        std::iota(order.begin(), order.end(), 0u);
        std::swap(order.front(), order.back());
        std::vector<int> items(n);
        recording_reorder<int> cb(items);
        pfc::reorder(cb, order.data(), n);
        return cb.swaps.size();
    };
    platform::heap_fail_at(1, true);
    EXPECT_EQ(try_reorder(8192), 1u) << "8,192 positions need no heap";
    EXPECT_THROW(try_reorder(8193), std::bad_alloc);
    platform::heap_disarm();
    EXPECT_EQ(try_reorder(8193), 1u);
    EXPECT_EQ(platform::heap_allocations(), 1u);
}

TEST(Reorder, OrderThatIsNoPermutationIsRefusedBeforeAnySwap) {
    const std::vector<std::vector<t_size>> bad = {
        {0, 3, 1},           // past the end
        {1, 1, 0},           // repeated: 2 is never named
        {2, 0, 0},           //
        {0xFFFFFFFF, 0, 1},  //
        {1, 0, 3, 2, 4, 4},  // valid cycles first, then the fault
    };
    for (const auto& order : bad) {
        std::vector<int> items(order.size());
        std::iota(items.begin(), items.end(), 0);
        const std::vector<int> before = items;
        recording_reorder<int> cb(items);
        try {
            pfc::reorder(cb, order.data(), static_cast<t_size>(order.size()));
            ADD_FAILURE() << "accepted";
        } catch (const pfc::exception_bug_check& e) {
            EXPECT_STREQ(e.what(), "Bug check");
        }
        EXPECT_TRUE(cb.swaps.empty());
        EXPECT_EQ(items, before);
    }

    // Beyond the fixed area the heap part checks the same way.
    std::vector<t_size> large(9000);
    std::iota(large.begin(), large.end(), 0u);
    large[8999] = 8500;
    std::vector<int> items(9000);
    recording_reorder<int> cb(items);
    EXPECT_THROW(pfc::reorder(cb, large.data(), 9000), pfc::exception_bug_check);
    EXPECT_TRUE(cb.swaps.empty());
}

TEST(Reorder, DeltaShiftsBothPositions) {
    std::vector<char> items = {'a', 'b', 'c', 'd'};
    recording_reorder<char> cb(items);
    pfc::reorder_callback_impl_delta shifted(cb, 1);
    const t_size order[3] = {2, 0, 1};
    pfc::reorder(shifted, order, 3);
    EXPECT_EQ(items, (std::vector<char>{'a', 'd', 'b', 'c'}));
    for (const auto& [a, b] : cb.swaps) {
        EXPECT_GE(a, 1u);
        EXPECT_GE(b, 1u);
    }
}

}  // namespace
