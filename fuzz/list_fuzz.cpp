// Random sequences of every list operation on the list the host fills,
// pfc::list_t of queue entries, against a std::vector model: inserts (from
// another list, from the list itself, from a source that fails part way),
// filters through each kind of mask, partial reorders (with orders that are
// no permutation too), sorts and stable sorts (with comparers that fail part
// way), replaces, swaps and reads. Before a step the heap may be set to fail
// from some allocation on, and blocks may be refused growth in place, so the
// copying path runs too.
//
// After every step: the list holds what the model holds, entry by entry;
// every track's reference count is exactly the number of entries that name
// it (plus the one entry the harness holds), never below zero; the capacity
// is a power of two that holds the count; and the heap holds exactly the
// list's block. A step that fails for want of memory leaves the list as it
// was, except a filter, which is then done but keeps its block.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <vector>

#include "integration/playback_queue_item.h"
#include "platform/heap.h"
#include "support/exceptions.h"
#include "support/list.h"

namespace {

using item = t_playback_queue_item;
using list = pfc::list_t<item, pfc::alloc_fast>;
// Final, so that it can be destroyed early, through std::optional.
struct owned_list final : list {};

struct counted_track final : metadb_handle {
    t_int32 service_add_ref() noexcept override { return ++refs; }
    t_int32 service_release() noexcept override {
        if (refs <= 0) std::abort();  // a release without a reference
        return --refs;
    }
    void lock_info() override {}
    bool peek_info(const file_info*&) override { return false; }
    void unlock_info() override {}
    t_int32 refs = 0;
};

constexpr int track_count = 6;
std::array<counted_track, track_count> tracks;

// An entry as the model keeps it: track -1 is none.
struct entry {
    int track = -1;
    t_uint32 playlist = 0;
    t_uint32 position = 0;
    bool operator==(const entry&) const = default;
    bool operator<(const entry& p_other) const { return key() < p_other.key(); }
    int key() const { return track * 4 + static_cast<int>(playlist % 4); }
};

item make(const entry& p_entry) {
    item out;
    if (p_entry.track >= 0) out.m_handle = &tracks[static_cast<std::size_t>(p_entry.track)];
    out.m_playlist = p_entry.playlist;
    out.m_item = p_entry.position;
    return out;
}

entry seen(const item& p_item) {
    entry out;
    out.playlist = p_item.m_playlist;
    out.position = p_item.m_item;
    for (int t = 0; t < track_count; ++t) {
        if (p_item.m_handle.get_ptr() == &tracks[static_cast<std::size_t>(t)]) out.track = t;
    }
    if (out.track < 0 && p_item.m_handle.get_ptr() != nullptr) std::abort();
    return out;
}

entry any_entry(FuzzedDataProvider& p_input) {
    return {p_input.ConsumeIntegralInRange<int>(-1, track_count - 1), p_input.ConsumeIntegralInRange<t_uint32>(0, 5),
            p_input.ConsumeIntegral<std::uint8_t>()};
}

std::vector<entry> contents(const list& p_list) {
    std::vector<entry> out;
    for (t_size i = 0; i < p_list.get_count(); ++i) out.push_back(seen(p_list[i]));
    return out;
}

// A source that hands out its entries until it fails at one.
class failing_source final : public pfc::list_base_const_t<item> {
public:
    failing_source(std::vector<entry> p_entries, t_size p_fail_at) : m_entries(std::move(p_entries)), m_fail_at(p_fail_at) {}
    t_size get_count() const override { return static_cast<t_size>(m_entries.size()); }
    void get_item_ex(item& p_out, t_size n) const override {
        if (n >= m_entries.size()) std::abort();
        if (n == m_fail_at) throw std::runtime_error("source failed");
        p_out = make(m_entries[n]);
    }

private:
    std::vector<entry> m_entries;
    t_size m_fail_at;
};

// A mask with only get: the list meets the common find.
class plain_mask final : public bit_array {
public:
    explicit plain_mask(const std::vector<bool>& p_bits) : m_bits(p_bits) {}
    bool get(t_size n) const override {
        if (n >= m_bits.size()) std::abort();  // asked past the list
        return m_bits[n];
    }

private:
    const std::vector<bool>& m_bits;
};

class comparer final : public pfc::list_base_t<item>::sort_callback {
public:
    explicit comparer(long p_fail_after) : m_fail_after(p_fail_after) {}
    t_int32 compare(const item& p_item1, const item& p_item2) override {
        if (m_fail_after >= 0 && m_fail_after-- == 0) throw std::runtime_error("comparer failed");
        const int a = seen(p_item1).key(), b = seen(p_item2).key();
        return (a > b) - (a < b);
    }

private:
    long m_fail_after;
};

// The same entries, in any order.
bool same_entries(std::vector<entry> p_a, std::vector<entry> p_b) {
    const auto full = [](const entry& x, const entry& y) {
        return std::tie(x.track, x.playlist, x.position) < std::tie(y.track, y.playlist, y.position);
    };
    std::sort(p_a.begin(), p_a.end(), full);
    std::sort(p_b.begin(), p_b.end(), full);
    return p_a == p_b;
}

// The model's entries in a list of their own.
void fill(list& p_list, const std::vector<entry>& p_entries) {
    failing_source source(p_entries, static_cast<t_size>(-1));
    p_list.insert_items(source, 0);
}

// What a step does; the first value of a step picks it.
enum class operation {
    insert_list,      // insert_items from another list
    insert_self,      // insert_items of the list into itself
    insert_failing,   // insert_items from a source that fails part way
    filter,           // filter_mask through one of the masks below
    reorder_partial,  // with orders that are no permutation too
    sort,             // with a comparer that may fail part way
    sort_stable,      // likewise
    replace,          // replace_item
    swap_with_held,   // swap_item_with the entry the harness holds
    swap_items,
    get_item_ex,      // into the entry the harness holds
    hold,             // the harness holds another entry
};
constexpr int operation_count = 12;

enum class mask_kind { table, all_true, get_only };

struct harness;

// Everything a step takes from the input, in the order the input gives it,
// whatever the operation: all of it comes from the heap before the heap may
// fail, and the corpus keeps its meaning.
struct step {
    void read(FuzzedDataProvider& p_input, const harness& p_harness);
    t_size count() const { return static_cast<t_size>(before.size()); }
    bool inserts() const { return op == operation::insert_list || op == operation::insert_self || op == operation::insert_failing; }

    operation op;
    bool fail_memory;             // the heap fails from allocation fail_at on
    std::uint64_t fail_at;
    bool refuse_in_place;         // no block grows where it lies
    std::vector<entry> before;    // the model as the step found it
    t_size before_capacity;       // and the list's capacity
    std::vector<entry> added;     // what the inserts insert
    t_size base;                  // as insert_items is given it
    t_size at;                    // where the inserted entries land
    std::optional<owned_list> source;  // insert_list's
    std::vector<bool> bits;       // the filter's, one past the list
    bool bits_after;              // the table's answer past its length
    std::unique_ptr<bool[]> table;
    t_size table_length;
    mask_kind mask;
    long fail_after;              // the comparer's and the source's failure (-1: none)
    t_size slice_base;            // reorder_partial's slice and order
    t_size slice_count;
    std::vector<t_size> order;
    t_size index1;                // positions in the list (0 when it is empty)
    t_size index2;
    entry other;                  // an entry for replace and hold
};

// The list under test, its model, and the entry the harness holds (both
// ways), with each operation on the list and on the model. Where a callback
// of the step's own fails, the operation checks that it failed exactly when
// it should and what the list then holds; an allocation failure passes to
// the caller.
struct harness {
    void insert_list(const step& p_step);
    void insert_self(const step& p_step);
    void insert_failing(const step& p_step);
    void filter(const step& p_step);
    void reorder_partial(const step& p_step);
    void sort(const step& p_step) { sort_with(p_step, false); }
    void sort_stable(const step& p_step) { sort_with(p_step, true); }
    void replace(const step& p_step);
    void swap_with_held(const step& p_step);
    void swap_items(const step& p_step);
    void get_item_ex(const step& p_step);
    void hold(const step& p_step);
    void check(const step& p_step, bool p_out_of_memory, std::int64_t p_blocks);

    list subject;
    std::vector<entry> model;
    item held_item;
    entry held;

private:
    void sort_with(const step& p_step, bool p_stable);
};

// In the order of the enumeration.
constexpr void (harness::*operations[])(const step&) = {
    &harness::insert_list, &harness::insert_self,    &harness::insert_failing, &harness::filter,
    &harness::reorder_partial, &harness::sort,       &harness::sort_stable,    &harness::replace,
    &harness::swap_with_held, &harness::swap_items,  &harness::get_item_ex,    &harness::hold,
};
static_assert(std::size(operations) == operation_count);

void step::read(FuzzedDataProvider& p_input, const harness& p_harness) {
    op = static_cast<operation>(p_input.ConsumeIntegralInRange<int>(0, operation_count - 1));
    fail_memory = p_input.ConsumeIntegralInRange<int>(0, 3) == 0;
    fail_at = p_input.ConsumeIntegralInRange<std::uint64_t>(1, 3);
    refuse_in_place = p_input.ConsumeBool();
    before = p_harness.model;
    before_capacity = p_harness.subject.get_storage().get_capacity();
    const t_size n = count();
    const std::size_t adding = p_input.ConsumeIntegralInRange<std::size_t>(0, 12);
    for (std::size_t i = 0; i < adding; ++i) added.push_back(any_entry(p_input));
    base = p_input.ConsumeBool() ? p_input.ConsumeIntegralInRange<t_size>(0, n + 2) : pfc::infinite_size;
    at = base < n ? base : n;
    if (op == operation::insert_list) fill(source.emplace(), added);
    for (t_size i = 0; i < n + 1; ++i) bits.push_back(p_input.ConsumeBool());
    bits_after = p_input.ConsumeBool();
    table.reset(new bool[n + 1]);
    for (t_size i = 0; i < n + 1; ++i) table[i] = bits[i];
    table_length = p_input.ConsumeIntegralInRange<t_size>(0, n);
    mask = static_cast<mask_kind>(p_input.ConsumeIntegralInRange<int>(0, 2));
    fail_after = p_input.ConsumeIntegralInRange<long>(-1, 40);
    slice_base = p_input.ConsumeIntegralInRange<t_size>(0, n);
    slice_count = p_input.ConsumeIntegralInRange<t_size>(0, n - slice_base);
    order.resize(slice_count);
    for (t_size i = 0; i < slice_count; ++i) order[i] = i;
    for (t_size i = slice_count; i > 1; --i) std::swap(order[i - 1], order[p_input.ConsumeIntegralInRange<t_size>(0, i - 1)]);
    if (slice_count > 0 && p_input.ConsumeIntegralInRange<int>(0, 7) == 0) {
        // Sometimes no permutation: one position named anew (its value read first).
        const t_size value = p_input.ConsumeIntegralInRange<t_size>(0, slice_count);
        order[p_input.ConsumeIntegralInRange<t_size>(0, slice_count - 1)] = value;
    }
    index1 = n == 0 ? 0 : p_input.ConsumeIntegralInRange<t_size>(0, n - 1);
    index2 = n == 0 ? 0 : p_input.ConsumeIntegralInRange<t_size>(0, n - 1);
    other = any_entry(p_input);
}

void harness::insert_list(const step& p_step) {
    if (subject.insert_items(*p_step.source, p_step.base) != p_step.at) std::abort();
    model.insert(model.begin() + p_step.at, p_step.added.begin(), p_step.added.end());
}

void harness::insert_self(const step& p_step) {
    if (subject.insert_items(subject, p_step.base) != p_step.at) std::abort();
    model.insert(model.begin() + p_step.at, p_step.before.begin(), p_step.before.end());
}

// The list grows by the whole source; from the entry that failed on, the
// entries are default ones.
void harness::insert_failing(const step& p_step) {
    const auto fail_index = static_cast<t_size>(p_step.fail_after < 0 ? -1 : p_step.fail_after);
    failing_source failing(p_step.added, fail_index);
    bool failed = false;
    try {
        if (subject.insert_items(failing, p_step.base) != p_step.at) std::abort();
    } catch (const std::runtime_error&) {
        failed = true;
    }
    std::vector<entry> inserted = p_step.added;
    if (fail_index < inserted.size()) std::fill(inserted.begin() + fail_index, inserted.end(), entry{});
    if (failed != (fail_index < inserted.size())) std::abort();
    model.insert(model.begin() + p_step.at, inserted.begin(), inserted.end());
}

void harness::filter(const step& p_step) {
    const t_size n = p_step.count();
    std::vector<bool> keep = p_step.bits;
    switch (p_step.mask) {
    case mask_kind::table: {
        for (t_size i = p_step.table_length; i < n + 1; ++i) keep[i] = p_step.bits_after;
        const bit_array_table_t<bool> mask(p_step.table.get(), p_step.table_length, p_step.bits_after);
        model.clear();
        for (t_size i = 0; i < n; ++i) {
            if (keep[i]) model.push_back(p_step.before[i]);
        }
        subject.filter_mask(mask);
        break;
    }
    case mask_kind::all_true:
        subject.filter_mask(bit_array_true());
        break;
    case mask_kind::get_only: {
        keep.resize(n);
        const plain_mask mask(keep);
        model.clear();
        for (t_size i = 0; i < n; ++i) {
            if (keep[i]) model.push_back(p_step.before[i]);
        }
        subject.filter_mask(mask);
        break;
    }
    }
}

// An order that is no permutation is refused with nothing moved.
void harness::reorder_partial(const step& p_step) {
    std::vector<bool> named(p_step.slice_count);
    bool permutation = true;
    for (const t_size j : p_step.order) {
        if (j >= p_step.slice_count || named[j]) permutation = false;
        else named[j] = true;
    }
    bool failed = false;
    try {
        subject.reorder_partial(p_step.slice_base, p_step.order.data(), p_step.slice_count);
    } catch (const pfc::exception_bug_check&) {
        failed = true;
    }
    if (failed == permutation) std::abort();
    if (permutation) {
        for (t_size i = 0; i < p_step.slice_count; ++i) {
            model[p_step.slice_base + i] = p_step.before[p_step.slice_base + p_step.order[i]];
        }
    }
}

// A comparer that fails stops either sort part way, with the same entries in
// some order.
void harness::sort_with(const step& p_step, bool p_stable) {
    comparer compare(p_step.fail_after);
    bool failed = false;
    try {
        if (p_stable) subject.sort_stable(compare);
        else subject.sort(compare);
    } catch (const std::runtime_error&) {
        failed = true;
    }
    if (failed) {
        model = contents(subject);
        if (!same_entries(model, p_step.before)) std::abort();
    } else if (p_stable) {
        std::stable_sort(model.begin(), model.end());
    } else {
        // Not stable: the order of the keys is all that is promised.
        std::vector<entry> sorted = model;
        std::stable_sort(sorted.begin(), sorted.end());
        model = contents(subject);
        for (std::size_t i = 0; i < model.size(); ++i) {
            if (model[i].key() != sorted[i].key()) std::abort();
        }
        if (!same_entries(model, p_step.before)) std::abort();
    }
}

void harness::replace(const step& p_step) {
    if (p_step.count() == 0) return;
    {
        const item replacement = make(p_step.other);
        subject.replace_item(p_step.index1, replacement);
    }
    model[p_step.index1] = p_step.other;
}

void harness::swap_with_held(const step& p_step) {
    if (p_step.count() == 0) return;
    subject.swap_item_with(p_step.index1, held_item);
    std::swap(model[p_step.index1], held);
}

void harness::swap_items(const step& p_step) {
    if (p_step.count() == 0) return;
    subject.swap_items(p_step.index1, p_step.index2);
    std::swap(model[p_step.index1], model[p_step.index2]);
}

void harness::get_item_ex(const step& p_step) {
    if (p_step.count() == 0) return;
    subject.get_item_ex(held_item, p_step.index1);
    held = model[p_step.index1];
}

void harness::hold(const step& p_step) {
    held_item = make(p_step.other);
    held = p_step.other;
}

// What every step must leave, whatever it did. An allocation that failed
// leaves the list as it was, block and all, except a filter, which is then
// done but keeps its block; a resize leaves the block no more than three
// quarters empty. Then the list holds what the model holds; each track's
// count is exactly the number of entries naming it, the held one included;
// the capacity is a power of two that holds the count; and the heap holds
// exactly the list's block.
void harness::check(const step& p_step, bool p_out_of_memory, std::int64_t p_blocks) {
    const t_size capacity = subject.get_storage().get_capacity();
    if (p_out_of_memory) {
        if (!p_step.fail_memory) std::abort();
        if (p_step.op != operation::filter) model = p_step.before;
        if (capacity != p_step.before_capacity) std::abort();
    } else if ((p_step.inserts() || model.size() < p_step.before.size()) && capacity / 4 > subject.get_count()) {
        std::abort();
    }
    if (contents(subject) != model) std::abort();
    std::array<t_int32, track_count> expected{};
    for (const entry& e : model) {
        if (e.track >= 0) ++expected[static_cast<std::size_t>(e.track)];
    }
    if (held.track >= 0) ++expected[static_cast<std::size_t>(held.track)];
    for (int t = 0; t < track_count; ++t) {
        if (tracks[static_cast<std::size_t>(t)].refs != expected[static_cast<std::size_t>(t)]) std::abort();
    }
    if (capacity < subject.get_count() || (capacity & (capacity - 1)) != 0) std::abort();
    if (platform::heap_live_blocks() != p_blocks + (capacity > 0 ? 1 : 0)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t p_size) {
    FuzzedDataProvider input(p_data, p_size);
    const std::int64_t blocks = platform::heap_live_blocks();
    {
        harness h;
        for (int n = 0; n < 64 && input.remaining_bytes() > 0; ++n) {
            step s;
            s.read(input, h);
            if (s.count() > 200 && s.inserts()) continue;  // keeps the steps cheap

            if (s.refuse_in_place) platform::heap_refuse_expand(true);
            if (s.fail_memory) platform::heap_fail_at(s.fail_at, true);
            bool out_of_memory = false;
            try {
                (h.*operations[static_cast<int>(s.op)])(s);
            } catch (const std::bad_alloc& e) {
                out_of_memory = true;
                if (std::string_view(e.what()) != "bad allocation") std::abort();
            }
            platform::heap_disarm();
            platform::heap_refuse_expand(false);
            s.source.reset();
            h.check(s, out_of_memory, blocks);
        }
    }
    for (const counted_track& t : tracks) {
        if (t.refs != 0) std::abort();
    }
    if (platform::heap_live_blocks() != blocks) std::abort();
    return 0;
}
