#include "support/list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support_testing.h"
#include "integration/playback_queue_item.h"

namespace {

using namespace support_testing;

using item_t = t_playback_queue_item;
using queue_list = pfc::list_t<item_t, pfc::alloc_fast>;
using queue_base = pfc::list_base_t<item_t>;

// A host-side list of entries, read through the const interface.
template <typename T>
struct vector_source : pfc::list_base_const_t<T> {
    explicit vector_source(std::vector<T> p_items = {}) : items(std::move(p_items)) {}
    t_size get_count() const override { return claimed_count ? claimed_count : static_cast<t_size>(items.size()); }
    void get_item_ex(T& p_out, t_size n) const override { ++reads, p_out = items.at(n); }
    std::vector<T> items;
    t_size claimed_count = 0;  // nonzero: a source that lies about its size
    mutable int reads = 0;
};

// Eight tracks, 'a' to 'h', whose counts every test must leave balanced.
class QueueList : public heap_test {
protected:
    void TearDown() override {
        for (const fake_track& t : tracks) {
            EXPECT_EQ(t.refs, 0) << "track " << t.id << " keeps references";
            EXPECT_EQ(t.add_refs, t.releases) << "track " << t.id;
        }
        heap_test::TearDown();
    }
    item_t item(int i) { return {&tracks[i], static_cast<t_uint32>(i), static_cast<t_uint32>(100 + i)}; }
    std::vector<item_t> items(const std::string& letters) {
        std::vector<item_t> out;
        for (char c : letters) out.push_back(item(c - 'a'));
        return out;
    }
    void fill(queue_list& list, const std::string& letters) {
        list.insert_items(vector_source<item_t>(items(letters)), pfc::infinite_size);
    }
    // The list read back as letters; no track is '-', a wrong pair of host values '?'.
    std::string letters(const queue_list& list) {
        std::string out;
        for (t_size i = 0; i < list.get_count(); ++i) {
            const item_t& e = list[i];
            const int id = e.m_handle.is_empty() ? -1 : static_cast<const fake_track*>(e.m_handle.get_ptr())->id;
            const bool ok = e.m_playlist == static_cast<t_uint32>(id) && e.m_item == static_cast<t_uint32>(100 + id);
            out += id < 0 ? '-' : (ok ? static_cast<char>('a' + id) : '?');
        }
        return out;
    }
    std::vector<t_int32> refs() const {
        std::vector<t_int32> out;
        for (const fake_track& t : tracks) out.push_back(t.refs);
        return out;
    }
    fake_track tracks[8] = {0, 1, 2, 3, 4, 5, 6, 7};
};

TEST(ListInterface, SlotsAreInTheHostsOrder) {
    using queue_const = pfc::list_base_const_t<item_t>;
    int slot = 0;
    for (long s : {vtable_slot(&queue_const::get_count), vtable_slot(&queue_const::get_item_ex),
                   vtable_slot(&queue_base::filter_mask), vtable_slot(&queue_base::insert_items),
                   vtable_slot(&queue_base::reorder_partial), vtable_slot(&queue_base::sort),
                   vtable_slot(&queue_base::sort_stable), vtable_slot(&queue_base::replace_item),
                   vtable_slot(&queue_base::swap_item_with), vtable_slot(&queue_base::swap_items)})
        EXPECT_EQ(s, slot++);
    EXPECT_EQ(vtable_slot(&queue_base::sort_callback::compare), 0);
    EXPECT_EQ(vtable_slot(&queue_list::swap_items), 9) << "the list adds no slot of its own before these";
}

TEST_F(QueueList, NewListLayoutAndCapacitiesAsTheHostAppends) {
    queue_list list;
    EXPECT_EQ(list.get_count(), 0u);
    EXPECT_EQ(list.get_storage().get_ptr(), nullptr);
    queue_base& as_host = list;
    EXPECT_EQ(as_host.insert_items(vector_source<item_t>(), pfc::infinite_size), 0u);
    EXPECT_EQ(std::make_pair(list.get_count(), list.get_storage().get_capacity()), std::make_pair(0u, 1u));
    EXPECT_NE(list.get_storage().get_ptr(), nullptr);
    for (const auto& [add, count, capacity] : {std::tuple<const char*, t_size, t_size>{"a", 1, 1}, {"bc", 3, 4},
                                                {"de", 5, 8}, {"fgha", 9, 16}}) {
        fill(list, add);
        EXPECT_EQ(std::make_pair(list.get_count(), list.get_storage().get_capacity()), std::make_pair(count, capacity));
    }
    EXPECT_EQ(letters(list), "abcdefgha");
    EXPECT_EQ(tracks[0].refs, 2);
    // The table pointer, then the array's three fields.
    EXPECT_EQ(std::make_tuple(field_at<const void*>(&list, sizeof(void*)), field_at<t_uint32>(&list, 2 * sizeof(void*)),
                              field_at<t_uint32>(&list, 2 * sizeof(void*) + 4)),
              std::make_tuple(static_cast<const void*>(&list[0]), 9u, 16u));
}

TEST_F(QueueList, InsertItemsPlacesAndAnswersTheFirstIndex) {
    for (const auto& [base, answer, result] :
         {std::tuple<t_size, t_size, const char*>{0, 0, "ghabc"}, {1, 1, "aghbc"}, {3, 3, "abcgh"}, {7, 3, "abcgh"},
          {pfc::infinite_size, 3, "abcgh"}}) {
        SCOPED_TRACE(base);
        queue_list list;
        fill(list, "abc");
        const vector_source<item_t> source(items("gh"));
        EXPECT_EQ(list.insert_items(source, base), answer);
        EXPECT_EQ(letters(list), result);
        EXPECT_EQ(source.reads, 2);
    }
}

// A list inserted into itself gives a copy of what it held, wherever it goes.
TEST_F(QueueList, InsertItemsOfTheListIntoItselfCopiesItsOriginalElements) {
    for (const auto& [base, result] : {std::pair<t_size, const char*>{0, "abcabc"}, {1, "aabcbc"}, {2, "ababcc"},
                                       {pfc::infinite_size, "abcabc"}}) {
        SCOPED_TRACE(base);
        queue_list list;
        fill(list, "abc");
        EXPECT_EQ(list.insert_items(list, base), std::min<t_size>(base, 3));
        EXPECT_EQ(letters(list), result);
    }
}

// Fails the test if asked about any position at or beyond its length; counts finds.
class bounded_mask : public bit_array {
public:
    explicit bounded_mask(std::string p_bits) : m_bits(std::move(p_bits)) {}
    bool get(t_size n) const override {
        EXPECT_LT(n, m_bits.size()) << "the mask was asked past the list";
        return n < m_bits.size() && m_bits[n] == '1';
    }
    t_size find(bool val, t_size start, t_int32 count) const override { return ++finds, bit_array::find(val, start, count); }
    mutable int finds = 0;

private:
    std::string m_bits;
};

TEST_F(QueueList, FilterMaskAsksOnlyThroughFindAndWithinTheList) {
    for (const auto& [bits, result, finds] :
         {std::tuple<const char*, const char*, int>{"1010", "ac", 3}, {"0110", "bc", 4}, {"0001", "d", 3},
          {"0000", "", 2}, {"1111", "abcd", 1}, {"1110", "abc", 2}, {"01011", "bde", 5}}) {
        SCOPED_TRACE(bits);
        queue_list list;
        fill(list, std::string("abcde").substr(0, std::strlen(bits)));
        const auto block = std::make_pair(list.get_storage().get_ptr(), list.get_storage().get_capacity());
        const bounded_mask mask(bits);
        list.filter_mask(mask);
        EXPECT_EQ(letters(list), result);
        EXPECT_EQ(mask.finds, finds);  // the first false, then each true and the last miss
        const auto after = std::make_pair(list.get_storage().get_ptr(), list.get_storage().get_capacity());
        EXPECT_TRUE(std::strlen(bits) != std::strlen(result) || block == after) << "kept all: no resize";
    }
}

TEST_F(QueueList, ReorderPartialAndItsRefusalOfANonPermutation) {
    queue_list list;
    fill(list, "abcd");
    const t_size order[3] = {2, 0, 1}, whole[4] = {3, 2, 1, 0}, repeated[3] = {0, 0, 1}, outside[2] = {0, 2};
    list.reorder_partial(1, order, 3);
    EXPECT_EQ(letters(list), "adbc");
    list.reorder_partial(0, whole, 4);
    EXPECT_EQ(letters(list), "cbda");
    const auto before = refs();
    EXPECT_THROW(list.reorder_partial(1, repeated, 3), pfc::exception_bug_check);
    EXPECT_THROW(list.reorder_partial(2, outside, 2), pfc::exception_bug_check);
    EXPECT_EQ(letters(list), "cbda");
    EXPECT_EQ(refs(), before);
}

// Orders entries by their second host value modulo a divisor, so many tie.
struct by_item_mod : queue_base::sort_callback {
    explicit by_item_mod(t_uint32 p_mod) : mod(p_mod) {}
    t_int32 compare(const item_t& a, const item_t& b) override {
        const t_uint32 x = a.m_item % mod, y = b.m_item % mod;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    t_uint32 mod;
};

TEST_F(QueueList, SortsAgreeWithTheStandardOnes) {
    std::mt19937 rng(4);
    std::string input;
    for (int i = 0; i < 300; ++i) input += static_cast<char>('a' + rng() % 8);
    for (t_uint32 mod : {1000u, 3u}) {
        std::vector<item_t> expected = items(input);
        std::stable_sort(expected.begin(), expected.end(),
                         [mod](const item_t& a, const item_t& b) { return a.m_item % mod < b.m_item % mod; });
        by_item_mod cmp(mod);
        queue_list stable, quick;
        fill(stable, input);
        fill(quick, input);
        const auto before = refs();
        stable.sort_stable(cmp);
        quick.sort(cmp);
        EXPECT_EQ(refs(), before);
        for (t_size i = 0; i < stable.get_count(); ++i) {
            ASSERT_EQ(stable[i].m_handle.get_ptr(), expected[i].m_handle.get_ptr()) << "mod " << mod << " at " << i;
            ASSERT_EQ(quick[i].m_item % mod, expected[i].m_item % mod) << "mod " << mod << " at " << i;
        }
    }
}

TEST_F(QueueList, ReplaceSwapAndGetItemExMoveReferences) {
    queue_list list;
    fill(list, "abc");
    list.replace_item(1, item(5));
    EXPECT_EQ(letters(list), "afc");
    EXPECT_EQ(std::make_pair(tracks[1].refs, tracks[5].refs), std::make_pair(0, 1));
    item_t held = item(6);
    list.swap_item_with(0, held);
    EXPECT_EQ(letters(list), "gfc");
    EXPECT_EQ(std::make_pair(held.m_handle.get_ptr(), held.m_item), std::make_pair(static_cast<metadb_handle*>(&tracks[0]), 100u));
    list.swap_items(0, 2);
    EXPECT_EQ(letters(list), "cfg");
    auto before = refs();
    list.swap_items(1, 1);
    list.replace_item(2, list[2]);
    EXPECT_EQ(letters(list), "cfg");
    EXPECT_EQ(refs(), before);
    item_t out = item(7);
    before = refs();
    list.get_item_ex(out, 1);
    EXPECT_EQ(std::make_pair(tracks[7].refs, tracks[5].refs), std::make_pair(before[7] - 1, before[5] + 1));
    EXPECT_EQ(std::make_pair(out.m_playlist, out.m_item), std::make_pair(5u, 105u));
}

TEST_F(QueueList, EveryFailedAllocationLeavesTheListAsItWas) {
    for (const auto& [initial, added, base] :
         {std::tuple<std::string, std::string, t_size>{"", "a", 0}, {"", "", pfc::infinite_size}, {"abc", "de", 1},
          {"abcd", "efgh", 0}, {"a", "bcdefgh", 1}}) {
        SCOPED_TRACE(initial + " + " + added);
        queue_list list;
        fill(list, initial);
        const vector_source<item_t> source(items(added));
        const auto state = [&] {
            return std::make_tuple(letters(list), list.get_storage().get_capacity(),
                                   static_cast<const void*>(list.get_storage().get_ptr()), refs());
        };
        sweep_allocation_failures([&] { list.insert_items(source, base); }, state);
        EXPECT_EQ(list.get_count(), initial.size() + added.size());
    }
}

// A filter whose smaller block could not be had keeps the large one; growing
// the list then shrinks the block while it adds elements, and a failure there
// too must leave the list as it was (found by fuzz/list_fuzz).
TEST_F(QueueList, GrowingWhileTheBlockShrinksFailsWithTheListAsItWas) {
    const no_resize_in_place copying;
    queue_list list;
    fill(list, "abcdefghabcdefghabcdefghabcdefgh");
    const bool none[1] = {false};
    {
        const allocation_failure out_of_memory(1);
        expect_bad_alloc([&] { list.filter_mask(bit_array_table_t<bool>(none, 1)); });
    }
    ASSERT_EQ(std::make_tuple(list.get_count(), list.get_storage().get_capacity()), std::make_tuple(0u, 32u));
    const vector_source<item_t> source(items("a"));
    {
        const allocation_failure out_of_memory(1);
        expect_bad_alloc([&] { list.insert_items(source, 0); });
    }
    EXPECT_EQ(letters(list), "");
    EXPECT_EQ(list.get_storage().get_capacity(), 32u);
    list.insert_items(source, 0);
    EXPECT_EQ(std::make_tuple(letters(list), list.get_storage().get_capacity()), std::make_tuple(std::string("a"), 4u));
}

TEST_F(QueueList, WrappingCountsAreRefusedAndAThrowingSourceLeaksNothing) {
    queue_list list;
    fill(list, "abc");
    vector_source<item_t> liar;
    liar.claimed_count = 0xFFFFFFFE;  // 3 + 0xFFFFFFFE elements
    expect_bad_alloc([&] { list.insert_items(liar, 0); });
    EXPECT_EQ(letters(list), "abc");
    EXPECT_EQ(liar.reads, 0);
    vector_source<item_t> short_source(items("d"));
    short_source.claimed_count = 2;  // the second read throws
    EXPECT_THROW(list.insert_items(short_source, 1), std::out_of_range);
    EXPECT_EQ(letters(list), "ad-bc");
}

class CountedList : public heap_test {};

TEST_F(CountedList, AppendingOneAtATimeCopiesLinearly) {
    constexpr t_size n = 100000;
    pfc::list_t<counted> list;
    vector_source<counted> one({counted(0)});
    const long copies = counted::copies;
    for (t_size i = 0; i < n; ++i) list.insert_items(one, pfc::infinite_size);
    EXPECT_EQ(list.get_count(), n);
    // Each doubling copies what is there: 1 + 2 + ... + 2^16 < 2n.
    EXPECT_LT(counted::copies - copies, static_cast<long>(2 * n));
    EXPECT_EQ(counted::assignments, static_cast<long>(n)) << "one assignment per element written in";
}

}  // namespace
