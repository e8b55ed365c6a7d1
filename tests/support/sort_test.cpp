#include "support/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support_testing.h"
// The list's sorts, which must make the very calls of these.
#include "support/list.h"

namespace {

using namespace support_testing;
using swaps_t = std::vector<std::pair<t_size, t_size>>;

// A key with its initial position; compared on the key only, so stability shows.
struct tagged { int key, origin; bool operator==(const tagged&) const = default; };
int key_of(int p_key) { return p_key; }
int key_of(const tagged& p_item) { return p_item.key; }

// Sorts a vector through the callback, counting and recording calls, refusing
// positions outside it. Final, so the known-type sorts take it too.
template <typename T>
struct sorter final : pfc::sort_callback {
    explicit sorter(std::vector<T>& p_items) : items(p_items) {}
    t_int32 compare(t_size a, t_size b) override {
        const int x = key_of(items.at(a)), y = key_of(items.at(b));
        return ++compares, calls.emplace_back(a, b), x < y ? -1 : (y < x ? 1 : 0);
    }
    void swap(t_size a, t_size b) override { std::swap(items.at(a), items.at(b)), ++swaps; }
    std::vector<T>& items;
    long compares = 0, swaps = 0;
    swaps_t calls;
};

// Records the swaps of a reorder and applies them to a container.
template <typename C>
struct recorder : pfc::reorder_callback {
    explicit recorder(C& p_items) : items(p_items) {}
    void swap(t_size a, t_size b) override { swaps.emplace_back(a, b), std::swap(items.at(a), items.at(b)); }
    C& items;
    swaps_t swaps;
};

// Element i of n for random and adversarial inputs.
using pattern = int (*)(std::size_t i, std::size_t n, std::mt19937& rng);
const std::pair<const char*, pattern> patterns[] = {
    {"random", [](std::size_t, std::size_t, std::mt19937& r) { return static_cast<int>(r()); }},
    {"few distinct", [](std::size_t, std::size_t, std::mt19937& r) { return static_cast<int>(r() % 4); }},
    {"sorted", [](std::size_t i, std::size_t, std::mt19937&) { return static_cast<int>(i); }},
    {"reversed", [](std::size_t i, std::size_t n, std::mt19937&) { return static_cast<int>(n - i); }},
    {"all equal", [](std::size_t, std::size_t, std::mt19937&) { return 7; }},
    {"organ pipe", [](std::size_t i, std::size_t n, std::mt19937&) { return static_cast<int>(std::min(i, n - 1 - i)); }},
    {"sawtooth", [](std::size_t i, std::size_t, std::mt19937&) { return static_cast<int>(i % 17); }},
    {"sorted, ends swapped",
     [](std::size_t i, std::size_t n, std::mt19937&) { return static_cast<int>(i == 0 ? n - 1 : (i == n - 1 ? 0 : i)); }},
};

TEST(SortCallbacks, SlotsAreInTheHostsOrder) {
    EXPECT_EQ(vtable_slot(&pfc::sort_callback::compare), 0);
    EXPECT_EQ(vtable_slot(&pfc::sort_callback::swap), 1);
    EXPECT_EQ(vtable_slot(&pfc::reorder_callback::swap), 0);
}

TEST(Sort, BothSortsAgreeWithTheStandardOnes) {
    std::mt19937 rng(1);
    for (const auto& [name, element] : patterns) {
        for (std::size_t n : {0u, 1u, 2u, 3u, 7u, 8u, 9u, 10u, 16u, 17u, 31u, 100u, 1000u, 4097u, 50000u}) {
            SCOPED_TRACE(std::string(name) + ", n = " + std::to_string(n));
            std::vector<int> keys(n);
            for (std::size_t i = 0; i < n; ++i) keys[i] = element(i, n, rng);
            std::vector<tagged> items(n);
            for (std::size_t i = 0; i < n; ++i) items[i] = {keys[i] % 5, static_cast<int>(i)};

            std::vector<int> expected = keys;
            std::sort(expected.begin(), expected.end());
            sorter<int> cb(keys);
            pfc::sort(cb, static_cast<t_size>(n));
            EXPECT_EQ(keys, expected);
            if (n <= 8) {  // a selection sort only: n = 8 makes 28 compares and 7 swaps, n <= 1 no call
                EXPECT_EQ(cb.compares, static_cast<long>(n * (n - 1) / 2));
                EXPECT_EQ(cb.swaps, n == 0 ? 0L : static_cast<long>(n - 1));
            } else {  // quadratic behaviour would show here long before the clock
                EXPECT_LE(cb.compares, static_cast<long>(4 * n * std::bit_width(n)));
            }

            std::vector<tagged> expected_stable = items;
            std::stable_sort(expected_stable.begin(), expected_stable.end(),
                             [](const tagged& a, const tagged& b) { return a.key < b.key; });
            sorter<tagged> stable(items);
            pfc::sort_stable(stable, static_cast<t_size>(n));
            EXPECT_EQ(items, expected_stable);
            EXPECT_TRUE(n > 1 || stable.compares + stable.swaps == 0);
        }
    }
}

TEST(Sort, TiesOnSmallInputs) {
    using items_t = std::vector<tagged>;
    const struct { bool stable; items_t in, out; } cases[] = {
        // The selection sort moves the first of equal largest to the end.
        {false, {{5, 0}, {1, 1}, {5, 2}, {0, 3}}, {{0, 3}, {1, 1}, {5, 2}, {5, 0}}},
        {true, {{1, 'a'}, {0, 'b'}, {1, 'c'}, {0, 'd'}}, {{0, 'b'}, {0, 'd'}, {1, 'a'}, {1, 'c'}}},
    };
    for (auto c : cases) {
        sorter<tagged> cb(c.in);
        c.stable ? pfc::sort_stable(cb, 4) : pfc::sort(cb, 4);
        EXPECT_EQ(c.in, c.out);
    }
}

TEST(Sort, NinePositionsOrderTheThreeSamplesFirst) {
    std::vector<int> keys = {9, 8, 7, 6, 5, 4, 3, 2, 1};
    sorter<int> cb(keys);
    pfc::sort(cb, 9);
    ASSERT_GE(cb.calls.size(), 3u);
    EXPECT_EQ(swaps_t(cb.calls.begin(), cb.calls.begin() + 3), (swaps_t{{0, 4}, {0, 8}, {4, 8}}));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

TEST(SortStable, AllocationFailureMovesNothing) {
    using stable_sort_t = void (*)(sorter<int>&, t_size);
    const stable_sort_t through_table = [](sorter<int>& cb, t_size n) { pfc::sort_stable(cb, n); };
    for (const stable_sort_t sort_stable : {through_table, &pfc::sort_stable_t<sorter<int>>}) {
        const std::int64_t blocks = platform::heap_live_blocks();
        std::vector<int> keys = {3, 2, 1};
        sorter<int> cb(keys);
        {
            const allocation_failure out_of_memory(1);
            expect_bad_alloc([&] { sort_stable(cb, 3); });
        }
        EXPECT_EQ(keys, (std::vector<int>{3, 2, 1}));
        // 2^30 positions of 4 bytes do not fit in 32 bits: refused before asking the heap.
        expect_bad_alloc([&] { sort_stable(cb, 0x40000000u); });
        EXPECT_EQ(platform::heap_allocations(), 0u);
        EXPECT_EQ(cb.compares + cb.swaps, 0);
        // A throwing comparer still releases the position array.
        std::vector<int> many(100, 1);
        sorter<int> bad(many);
        EXPECT_THROW(sort_stable(bad, 101), std::out_of_range);
        EXPECT_EQ(platform::heap_live_blocks(), blocks);
    }
}

// Sorts tagged keys and logs every call: compares as 'c', swaps as 's', with
// their positions; and, for a comparer that sees only elements, the origins
// of each compared pair.
struct logged final : pfc::sort_callback {
    explicit logged(std::vector<tagged> p_items) : items(std::move(p_items)) {}
    t_int32 compare(t_size a, t_size b) override {
        calls.emplace_back('c', a, b), compared.emplace_back(items.at(a).origin, items.at(b).origin);
        return (items[a].key > items[b].key) - (items[a].key < items[b].key);
    }
    void swap(t_size a, t_size b) override { calls.emplace_back('s', a, b), std::swap(items.at(a), items.at(b)); }
    std::vector<tagged> items;
    std::vector<std::tuple<char, t_size, t_size>> calls;
    std::vector<std::pair<int, int>> compared;
};

// The items a list is filled from.
struct tagged_source : pfc::list_base_const_t<tagged> {
    explicit tagged_source(const std::vector<tagged>& p_items) : items(p_items) {}
    t_size get_count() const override { return static_cast<t_size>(items.size()); }
    void get_item_ex(tagged& p_out, t_size n) const override { p_out = items.at(n); }
    const std::vector<tagged>& items;
};

// The list's element comparer, logging as the one above.
struct logged_items : pfc::list_base_t<tagged>::sort_callback {
    t_int32 compare(const tagged& x, const tagged& y) override {
        return compared.emplace_back(x.origin, y.origin), (x.key > y.key) - (x.key < y.key);
    }
    std::vector<std::pair<int, int>> compared;
};

// The known-type sorts must be the same algorithm as the ones through the
// table, down to each call: so must the list's, which use them.
TEST(Sort, KnownTypeMakesTheCallsOfTheTable) {
    std::vector<std::vector<int>> inputs;
    // Every sequence of up to 9 keys from {0, 1, 2}: the small sorts, the
    // first partition, and every way for keys to tie with the pivot.
    for (std::size_t n = 0, sequences = 1; n <= 9; ++n, sequences *= 3) {
        for (std::size_t code = 0; code < sequences; ++code) {
            std::vector<int> keys(n);
            for (std::size_t i = 0, rest = code; i < n; ++i, rest /= 3) keys[i] = static_cast<int>(rest % 3);
            inputs.push_back(keys);
        }
    }
    std::mt19937 rng(5);
    for (const auto& [name, element] : patterns) {
        for (std::size_t n : {100u, 4097u}) {
            std::vector<int> keys(n);
            for (std::size_t i = 0; i < n; ++i) keys[i] = element(i, n, rng) % 1000;
            inputs.push_back(keys);
        }
    }
    for (const std::vector<int>& keys : inputs) {
        std::vector<tagged> items(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) items[i] = {keys[i], static_cast<int>(i)};
        const auto n = static_cast<t_size>(items.size());
        for (const bool stable : {false, true}) {
            const auto input = [&] {
                return ::testing::Message() << (stable ? "stable, " : "") << "n = " << n << ", keys "
                                            << (n <= 9 ? ::testing::PrintToString(keys) : "of a pattern");
            };
            logged table(items), known(items);
            pfc::sort_callback& open = table;
            stable ? pfc::sort_stable(open, n) : pfc::sort(open, n);
            stable ? pfc::sort_stable_t(known, n) : pfc::sort_t(known, n);
            ASSERT_EQ(known.calls, table.calls) << input();
            ASSERT_EQ(known.items, table.items) << input();

            pfc::list_t<tagged> list;
            list.insert_items(tagged_source(items), 0);
            logged_items by_key;
            stable ? list.sort_stable(by_key) : list.sort(by_key);
            ASSERT_EQ(by_key.compared, table.compared) << input();
            for (t_size i = 0; i < n; ++i) ASSERT_EQ(list[i], table.items[i]) << input() << ", at " << i;
        }
    }
}

TEST(Reorder, SmallPermutations) {
    const struct { std::vector<t_size> order; swaps_t swaps; std::string result; } cases[] = {
        {{}, {}, ""}, {{0, 1, 2}, {}, "abc"}, {{1, 0}, {{0, 1}}, "ba"}, {{1, 2, 0}, {{0, 1}, {1, 2}}, "bca"}};
    for (const auto& c : cases) {
        std::string items = std::string("abc").substr(0, c.order.size());
        recorder<std::string> cb(items);
        pfc::reorder(cb, c.order.empty() ? nullptr : c.order.data(), static_cast<t_size>(c.order.size()));
        EXPECT_EQ(cb.swaps, c.swaps);
        EXPECT_EQ(items, c.result);
    }
}

TEST(Reorder, RandomPermutationsCostOneSwapLessThanEachCycle) {
    std::mt19937 rng(3);
    for (t_size n : {1u, 2u, 5u, 64u, 1000u, 8192u, 8193u, 20000u}) {
        SCOPED_TRACE(n);
        std::vector<t_size> order(n), items(n);
        std::iota(order.begin(), order.end(), 0u);
        std::shuffle(order.begin(), order.end(), rng);
        std::iota(items.begin(), items.end(), 100u);
        std::size_t cycles = 0;
        std::vector<bool> seen(n);
        for (t_size i = 0; i < n; ++i)
            for (t_size j = i, first = 1; !seen[j]; j = order[j], first = 0) seen[j] = true, cycles += first;
        recorder<std::vector<t_size>> cb(items);
        pfc::reorder(cb, order.data(), n);
        for (t_size i = 0; i < n; ++i) ASSERT_EQ(items[i], 100u + order[i]) << i;
        EXPECT_EQ(cb.swaps.size(), n - cycles);
    }
}

TEST(Reorder, MarksBeyond8192PositionsTakeOneHeapBlock) {
    const auto try_reorder = [](t_size n) {
        std::vector<t_size> order(n);
        std::iota(order.begin(), order.end(), 0u);
        std::swap(order.front(), order.back());
        std::vector<int> items(n);
        recorder<std::vector<int>> cb(items);
        pfc::reorder(cb, order.data(), n);
        return cb.swaps.size();
    };
    {
        const allocation_failure out_of_memory(1, true);
        EXPECT_EQ(try_reorder(8192), 1u) << "8,192 positions need no heap";
        EXPECT_THROW(try_reorder(8193), std::bad_alloc);
    }
    EXPECT_EQ(try_reorder(8193), 1u);
    EXPECT_EQ(platform::heap_allocations(), 1u);
}

TEST(Reorder, OrderThatIsNoPermutationIsRefusedBeforeAnySwap) {
    std::vector<std::vector<t_size>> bad = {
        {0, 3, 1}, {1, 1, 0}, {2, 0, 0}, {0xFFFFFFFF, 0, 1},
        {1, 0, 3, 2, 4, 4},  // valid cycles first, then the fault
        std::vector<t_size>(9000),  // beyond the fixed area: the heap part checks too
    };
    std::iota(bad.back().begin(), bad.back().end(), 0u);
    bad.back()[8999] = 8500;
    for (const auto& order : bad) {
        std::vector<int> items(order.size());
        std::iota(items.begin(), items.end(), 0);
        const std::vector<int> before = items;
        recorder<std::vector<int>> cb(items);
        try {
            pfc::reorder(cb, order.data(), static_cast<t_size>(order.size()));
            ADD_FAILURE() << "accepted";
        } catch (const pfc::exception_bug_check& e) {
            EXPECT_STREQ(e.what(), "Bug check");
        }
        EXPECT_TRUE(cb.swaps.empty());
        EXPECT_EQ(items, before);
    }
}

}  // namespace
