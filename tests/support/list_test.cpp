#include "support/list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "integration/playback_queue_item.h"
#include "support_testing.h"

namespace {

using support_testing::counted;
using support_testing::fake_track;
using support_testing::sweep_allocation_failures;
using support_testing::vtable_slot;
using queue_list = pfc::list_t<t_playback_queue_item, pfc::alloc_fast>;
using queue_base = pfc::list_base_t<t_playback_queue_item>;
using queue_const = pfc::list_base_const_t<t_playback_queue_item>;

// A host-side list of entries, read through the const interface.
template <typename T>
class vector_source : public pfc::list_base_const_t<T> {
public:
    explicit vector_source(std::vector<T> p_items = {}) : items(std::move(p_items)) {}
    t_size get_count() const override { return claimed_count ? claimed_count : static_cast<t_size>(items.size()); }
    void get_item_ex(T& p_out, t_size n) const override {
        ++reads;
        p_out = items.at(n);
    }
    std::vector<T> items;
    t_size claimed_count = 0;  // nonzero: a source that lies about its size
    mutable int reads = 0;
};

// Eight tracks whose counts every test must leave balanced.
class QueueList : public ::testing::Test {
protected:
    void SetUp() override { m_blocks = platform::heap_live_blocks(); }
    void TearDown() override {
        platform::heap_disarm();
        for (const fake_track& t : tracks) {
            EXPECT_EQ(t.refs, 0) << "track " << t.id << " keeps references";
            EXPECT_EQ(t.add_refs, t.releases) << "track " << t.id;
        }
        EXPECT_EQ(platform::heap_live_blocks(), m_blocks) << "a block leaked";
    }

    t_playback_queue_item item(int i) {
        t_playback_queue_item e;
        e.m_handle = &tracks[static_cast<std::size_t>(i)];
        e.m_playlist = static_cast<t_uint32>(i);
        e.m_item = static_cast<t_uint32>(100 + i);
        return e;
    }
    // Entries named by letters: 'a' is track 0.
    std::vector<t_playback_queue_item> items(const std::string& letters) {
        std::vector<t_playback_queue_item> out;
        for (char c : letters) out.push_back(item(c - 'a'));
        return out;
    }
    void fill(queue_list& list, const std::string& letters) {
        const vector_source<t_playback_queue_item> source(items(letters));
        list.insert_items(source, pfc::infinite_size);
    }
    // The list read back as letters; a wrong pair of host values shows as '?'.
    std::string letters(const queue_list& list) {
        std::string out;
        for (t_size i = 0; i < list.get_count(); ++i) {
            const t_playback_queue_item& e = list[i];
            if (e.m_handle.is_empty()) {
                out += '-';
                continue;
            }
            const int id = static_cast<const fake_track*>(e.m_handle.get_ptr())->id;
            const bool values_ok = e.m_playlist == static_cast<t_uint32>(id) && e.m_item == static_cast<t_uint32>(100 + id);
            out += values_ok ? static_cast<char>('a' + id) : '?';
        }
        return out;
    }
    // References held now, per track.
    std::vector<t_int32> refs() const {
        std::vector<t_int32> out;
        for (const fake_track& t : tracks) out.push_back(t.refs);
        return out;
    }

    fake_track tracks[8] = {fake_track(0), fake_track(1), fake_track(2), fake_track(3),
                            fake_track(4), fake_track(5), fake_track(6), fake_track(7)};

private:
    std::int64_t m_blocks = 0;
};

TEST(ListInterface, SlotsAreInTheHostsOrder) {
    EXPECT_EQ(vtable_slot(&queue_const::get_count), 0);
    EXPECT_EQ(vtable_slot(&queue_const::get_item_ex), 1);
    EXPECT_EQ(vtable_slot(&queue_base::filter_mask), 2);
    EXPECT_EQ(vtable_slot(&queue_base::insert_items), 3);
    EXPECT_EQ(vtable_slot(&queue_base::reorder_partial), 4);
    EXPECT_EQ(vtable_slot(&queue_base::sort), 5);
    EXPECT_EQ(vtable_slot(&queue_base::sort_stable), 6);
    EXPECT_EQ(vtable_slot(&queue_base::replace_item), 7);
    EXPECT_EQ(vtable_slot(&queue_base::swap_item_with), 8);
    EXPECT_EQ(vtable_slot(&queue_base::swap_items), 9);
    EXPECT_EQ(vtable_slot(&queue_base::sort_callback::compare), 0);
    EXPECT_EQ(vtable_slot(&queue_list::swap_items), 9) << "the list adds no slot of its own before these";
}

TEST_F(QueueList, LayoutIsTableThenArray) {
    queue_list list;
    fill(list, "abc");
    const char* base = reinterpret_cast<const char*>(&list);
    const void* block;
    t_uint32 count, capacity;
    std::memcpy(&block, base + sizeof(void*), sizeof block);
    std::memcpy(&count, base + 2 * sizeof(void*), 4);
    std::memcpy(&capacity, base + 2 * sizeof(void*) + 4, 4);
    EXPECT_EQ(block, &list[0]);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(capacity, 4u);
}

TEST_F(QueueList, NewListAndEmptyInsert) {
    const std::int64_t blocks = platform::heap_live_blocks();
    queue_list list;
    EXPECT_EQ(list.get_count(), 0u);
    EXPECT_EQ(list.get_storage().get_ptr(), nullptr);
    EXPECT_EQ(platform::heap_live_blocks(), blocks);

    const vector_source<t_playback_queue_item> empty;
    queue_base& as_host = list;
    EXPECT_EQ(as_host.insert_items(empty, pfc::infinite_size), 0u);
    EXPECT_EQ(list.get_count(), 0u);
    EXPECT_EQ(list.get_storage().get_capacity(), 1u);
    EXPECT_NE(list.get_storage().get_ptr(), nullptr);
}

TEST_F(QueueList, CapacityDoublesAsTheHostAppends) {
    queue_list list;
    const struct {
        const char* add;
        t_size count;
        t_size capacity;
    } steps[] = {{"a", 1, 1}, {"bc", 3, 4}, {"de", 5, 8}, {"fgha", 9, 16}};
    for (const auto& s : steps) {
        fill(list, s.add);
        EXPECT_EQ(list.get_count(), s.count);
        EXPECT_EQ(list.get_storage().get_capacity(), s.capacity);
    }
    EXPECT_EQ(letters(list), "abcdefgha");
    EXPECT_EQ(tracks[0].refs, 2);
}

TEST_F(QueueList, InsertItemsPlacesAndAnswersTheFirstIndex) {
    const struct {
        t_size base;
        t_size answer;
        const char* result;
    } cases[] = {{0, 0, "xyabc"}, {1, 1, "axybc"}, {3, 3, "abcxy"}, {7, 3, "abcxy"}, {pfc::infinite_size, 3, "abcxy"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        queue_list list;
        fill(list, "abc");
        // x and y are tracks 6 and 7
        const vector_source<t_playback_queue_item> source({item(6), item(7)});
        EXPECT_EQ(list.insert_items(source, c.base), c.answer);
        std::string got = letters(list);
        std::replace(got.begin(), got.end(), 'g', 'x');
        std::replace(got.begin(), got.end(), 'h', 'y');
        EXPECT_EQ(got, c.result);
        EXPECT_EQ(source.reads, 2);
    }
}

TEST_F(QueueList, FilterMask) {
    const struct {
        std::vector<bool> mask;
        const char* result;
    } cases[] = {
        {{true, false, true, false}, "ac"},
        {{false, true, true, false}, "bc"},
        {{false, false, false, true}, "d"},
        {{false, false, false, false}, ""},
        {{true, true, true, true}, "abcd"},
        {{true, true, true, false}, "abc"},
    };
    for (const auto& c : cases) {
        queue_list list;
        fill(list, "abcd");
        bool table[4];
        std::copy(c.mask.begin(), c.mask.end(), table);
        // Positions past the list must not matter: the mask says true there.
        const bit_array_table_t<bool> mask(table, 4, true);
        list.filter_mask(mask);
        EXPECT_EQ(letters(list), c.result);
    }
}

// Fails the test if asked about any position at or beyond its limit.
class bounded_mask : public bit_array {
public:
    bounded_mask(std::vector<bool> p_bits) : m_bits(std::move(p_bits)) {}
    bool get(t_size n) const override {
        EXPECT_LT(n, m_bits.size()) << "the mask was asked past the list";
        return n < m_bits.size() && m_bits[n];
    }
    t_size find(bool val, t_size start, t_int32 count) const override {
        ++finds;
        return bit_array::find(val, start, count);
    }
    mutable int finds = 0;

private:
    std::vector<bool> m_bits;
};

TEST_F(QueueList, FilterMaskAsksOnlyThroughFindAndWithinTheList) {
    queue_list list;
    fill(list, "abcde");
    const bounded_mask mask({false, true, false, true, true});
    list.filter_mask(mask);
    EXPECT_EQ(letters(list), "bde");
    EXPECT_EQ(mask.finds, 5);  // the first false, then each true and the last miss

    queue_list all;
    fill(all, "abc");
    const bit_array_true keep;
    const void* block = all.get_storage().get_ptr();
    all.filter_mask(keep);
    EXPECT_EQ(letters(all), "abc");
    EXPECT_EQ(all.get_storage().get_capacity(), 4u);
    EXPECT_EQ(all.get_storage().get_ptr(), block);
}

TEST_F(QueueList, ReorderPartial) {
    queue_list list;
    fill(list, "abcd");
    const t_size order[3] = {2, 0, 1};
    list.reorder_partial(1, order, 3);
    EXPECT_EQ(letters(list), "adbc");

    const t_size whole[4] = {3, 2, 1, 0};
    list.reorder_partial(0, whole, 4);
    EXPECT_EQ(letters(list), "cbda");
}

TEST_F(QueueList, ReorderPartialRefusesAnOrderThatIsNoPermutation) {
    queue_list list;
    fill(list, "abcd");
    const auto before = refs();
    const t_size repeated[3] = {0, 0, 1};
    EXPECT_THROW(list.reorder_partial(1, repeated, 3), pfc::exception_bug_check);
    const t_size outside[2] = {0, 2};
    EXPECT_THROW(list.reorder_partial(2, outside, 2), pfc::exception_bug_check);
    EXPECT_EQ(letters(list), "abcd");
    EXPECT_EQ(refs(), before);
}

// Orders entries by their second host value modulo a divisor, so many tie.
class by_item_mod : public queue_base::sort_callback {
public:
    explicit by_item_mod(t_uint32 p_mod) : m_mod(p_mod) {}
    t_int32 compare(const t_playback_queue_item& a, const t_playback_queue_item& b) override {
        ++calls;
        const t_uint32 x = a.m_item % m_mod, y = b.m_item % m_mod;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    long calls = 0;

private:
    t_uint32 m_mod;
};

TEST_F(QueueList, SortsAgreeWithTheStandardOnes) {
    std::mt19937 rng(4);
    std::string letters_in;
    for (int i = 0; i < 300; ++i) letters_in += static_cast<char>('a' + rng() % 8);
    for (t_uint32 mod : {1000u, 3u}) {
        std::vector<t_playback_queue_item> expected = items(letters_in);
        const auto less = [mod](const t_playback_queue_item& a, const t_playback_queue_item& b) {
            return a.m_item % mod < b.m_item % mod;
        };
        std::stable_sort(expected.begin(), expected.end(), less);

        queue_list stable;
        fill(stable, letters_in);
        by_item_mod cmp(mod);
        const auto before = refs();
        stable.sort_stable(cmp);
        EXPECT_EQ(refs(), before);
        for (t_size i = 0; i < stable.get_count(); ++i)
            ASSERT_EQ(stable[i].m_handle.get_ptr(), expected[i].m_handle.get_ptr()) << "mod " << mod << " at " << i;

        queue_list quick;
        fill(quick, letters_in);
        const auto before_quick = refs();
        quick.sort(cmp);
        for (t_size i = 0; i < quick.get_count(); ++i)
            ASSERT_EQ(quick[i].m_item % mod, expected[i].m_item % mod) << "mod " << mod << " at " << i;
        EXPECT_EQ(refs(), before_quick);
    }
}

TEST_F(QueueList, ReplaceAndSwap) {
    queue_list list;
    fill(list, "abc");
    list.replace_item(1, item(5));
    EXPECT_EQ(letters(list), "afc");
    EXPECT_EQ(tracks[1].refs, 0);
    EXPECT_EQ(tracks[5].refs, 1);

    t_playback_queue_item held = item(6);
    list.swap_item_with(0, held);
    EXPECT_EQ(letters(list), "gfc");
    EXPECT_EQ(held.m_handle.get_ptr(), &tracks[0]);
    EXPECT_EQ(held.m_item, 100u);

    list.swap_items(0, 2);
    EXPECT_EQ(letters(list), "cfg");

    const auto before = refs();
    list.swap_items(1, 1);
    list.replace_item(2, list[2]);
    EXPECT_EQ(letters(list), "cfg");
    EXPECT_EQ(refs(), before);
}

TEST_F(QueueList, GetItemExMovesOneReference) {
    queue_list list;
    fill(list, "ab");
    t_playback_queue_item out = item(7);
    const auto before = refs();
    list.get_item_ex(out, 1);
    EXPECT_EQ(tracks[7].refs, before[7] - 1);
    EXPECT_EQ(tracks[1].refs, before[1] + 1);
    EXPECT_EQ(out.m_playlist, 1u);
    EXPECT_EQ(out.m_item, 101u);
}

TEST_F(QueueList, EveryFailedAllocationLeavesTheListAsItWas) {
    const struct {
        const char* initial;
        const char* added;
        t_size base;
    } cases[] = {{"", "a", 0}, {"", "", pfc::infinite_size}, {"abc", "de", 1}, {"abcd", "efgh", 0}, {"a", "bcdefgh", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.initial) + " + " + c.added);
        queue_list list;
        fill(list, c.initial);
        const vector_source<t_playback_queue_item> source(items(c.added));
        const auto state = [&] {
            return std::make_tuple(letters(list), list.get_storage().get_capacity(),
                                   static_cast<const void*>(list.get_storage().get_ptr()), refs());
        };
        sweep_allocation_failures([&] { list.insert_items(source, c.base); }, state);
        EXPECT_EQ(list.get_count(), std::strlen(c.initial) + std::strlen(c.added));
    }
}

TEST_F(QueueList, CountsThatWouldWrapAreRefused) {
    queue_list list;
    fill(list, "ab");
    vector_source<t_playback_queue_item> liar;
    liar.claimed_count = 0xFFFFFFFE;
    try {
        list.insert_items(liar, 0);
        ADD_FAILURE() << "2 + 0xFFFFFFFE elements accepted";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_EQ(letters(list), "ab");
    EXPECT_EQ(liar.reads, 0);
}

TEST_F(QueueList, ThrowingSourceLeavesWhatMovedAndLeaksNothing) {
    queue_list list;
    fill(list, "abc");
    vector_source<t_playback_queue_item> short_source(items("d"));
    short_source.claimed_count = 2;  // the second read throws
    EXPECT_THROW(list.insert_items(short_source, 1), std::out_of_range);
    EXPECT_EQ(letters(list), "ad-bc");
}

class CountedList : public support_testing::counted_test {};

TEST_F(CountedList, ThrowingCopyDuringGrowthLeavesTheListAsItWas) {
    pfc::list_t<counted> list;
    vector_source<counted> source({counted(1), counted(2), counted(3), counted(4)});
    list.insert_items(source, 0);
    ASSERT_EQ(list.get_storage().get_capacity(), 4u);
    const auto state = [&] {
        std::vector<int> values;
        for (t_size i = 0; i < list.get_count(); ++i) values.push_back(list[i].value);
        return std::make_tuple(values, list.get_storage().get_capacity(), counted::live());
    };
    const auto before = state();
    counted::copies_before_throw = 2;
    EXPECT_THROW(list.insert_items(source, 2), std::runtime_error);
    counted::copies_before_throw = -1;
    EXPECT_EQ(state(), before);
}

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
