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

void check(const list& p_list, const std::vector<entry>& p_model, const entry& p_held, std::int64_t p_blocks) {
    if (contents(p_list) != p_model) std::abort();
    std::array<t_int32, track_count> expected{};
    for (const entry& e : p_model) {
        if (e.track >= 0) ++expected[static_cast<std::size_t>(e.track)];
    }
    if (p_held.track >= 0) ++expected[static_cast<std::size_t>(p_held.track)];
    for (int t = 0; t < track_count; ++t) {
        if (tracks[static_cast<std::size_t>(t)].refs != expected[static_cast<std::size_t>(t)]) std::abort();
    }
    const t_size capacity = p_list.get_storage().get_capacity();
    if (capacity < p_list.get_count() || (capacity & (capacity - 1)) != 0) std::abort();
    if (platform::heap_live_blocks() != p_blocks + (capacity > 0 ? 1 : 0)) std::abort();
}

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t p_size) {
    FuzzedDataProvider input(p_data, p_size);
    const std::int64_t blocks = platform::heap_live_blocks();
    {
        list subject;
        std::vector<entry> model;
        item held_item;
        entry held;
        for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
            const int op = input.ConsumeIntegralInRange<int>(0, 11);
            const bool fail_memory = input.ConsumeIntegralInRange<int>(0, 3) == 0;
            const auto fail_at = input.ConsumeIntegralInRange<std::uint64_t>(1, 3);
            const bool refuse_in_place = input.ConsumeBool();
            const auto count = static_cast<t_size>(model.size());
            const std::vector<entry> before = model;
            const t_size capacity_before = subject.get_storage().get_capacity();

            // What the step is given comes from the heap before it may fail.
            std::vector<entry> added;
            const std::size_t adding = input.ConsumeIntegralInRange<std::size_t>(0, 12);
            for (std::size_t i = 0; i < adding; ++i) added.push_back(any_entry(input));
            const t_size base = input.ConsumeBool() ? input.ConsumeIntegralInRange<t_size>(0, count + 2) : pfc::infinite_size;
            const t_size at = base < count ? base : count;
            std::optional<owned_list> source;
            if (op == 0) fill(source.emplace(), added);
            std::vector<bool> bits;
            for (t_size i = 0; i < count + 1; ++i) bits.push_back(input.ConsumeBool());
            const bool bits_after = input.ConsumeBool();
            std::unique_ptr<bool[]> table(new bool[count + 1]);
            for (t_size i = 0; i < count + 1; ++i) table[i] = bits[i];
            const t_size table_length = input.ConsumeIntegralInRange<t_size>(0, count);
            const int mask_kind = input.ConsumeIntegralInRange<int>(0, 2);
            const long fail_after = input.ConsumeIntegralInRange<long>(-1, 40);
            const t_size slice_base = input.ConsumeIntegralInRange<t_size>(0, count);
            const t_size slice_count = input.ConsumeIntegralInRange<t_size>(0, count - slice_base);
            std::vector<t_size> order(slice_count);
            for (t_size i = 0; i < slice_count; ++i) order[i] = i;
            for (t_size i = slice_count; i > 1; --i) std::swap(order[i - 1], order[input.ConsumeIntegralInRange<t_size>(0, i - 1)]);
            if (slice_count > 0 && input.ConsumeIntegralInRange<int>(0, 7) == 0) {
                order[input.ConsumeIntegralInRange<t_size>(0, slice_count - 1)] = input.ConsumeIntegralInRange<t_size>(0, slice_count);
            }
            const t_size index1 = count == 0 ? 0 : input.ConsumeIntegralInRange<t_size>(0, count - 1);
            const t_size index2 = count == 0 ? 0 : input.ConsumeIntegralInRange<t_size>(0, count - 1);
            const entry other = any_entry(input);
            if (count > 200 && op <= 2) continue;  // keeps the steps cheap

            if (refuse_in_place) platform::heap_refuse_expand(true);
            if (fail_memory) platform::heap_fail_at(fail_at, true);
            bool out_of_memory = false;
            bool failed = false;  // the step's own callback or check refused
            try {
                switch (op) {
                case 0:
                    if (subject.insert_items(*source, base) != at) std::abort();
                    model.insert(model.begin() + at, added.begin(), added.end());
                    break;
                case 1:
                    if (subject.insert_items(subject, base) != at) std::abort();
                    model.insert(model.begin() + at, before.begin(), before.end());
                    break;
                case 2: {
                    const auto fail_index = static_cast<t_size>(fail_after < 0 ? -1 : fail_after);
                    failing_source failing(added, fail_index);
                    try {
                        if (subject.insert_items(failing, base) != at) std::abort();
                    } catch (const std::runtime_error&) {
                        failed = true;
                    }
                    std::vector<entry> inserted = added;
                    if (fail_index < inserted.size()) std::fill(inserted.begin() + fail_index, inserted.end(), entry{});
                    if (failed != (fail_index < inserted.size())) std::abort();
                    model.insert(model.begin() + at, inserted.begin(), inserted.end());
                    break;
                }
                case 3: {
                    std::vector<bool> keep = bits;
                    if (mask_kind == 0) {
                        for (t_size i = table_length; i < count + 1; ++i) keep[i] = bits_after;
                        const bit_array_table_t<bool> mask(table.get(), table_length, bits_after);
                        model.clear();
                        for (t_size i = 0; i < count; ++i) {
                            if (keep[i]) model.push_back(before[i]);
                        }
                        subject.filter_mask(mask);
                    } else if (mask_kind == 1) {
                        subject.filter_mask(bit_array_true());
                    } else {
                        keep.resize(count);
                        const plain_mask mask(keep);
                        model.clear();
                        for (t_size i = 0; i < count; ++i) {
                            if (keep[i]) model.push_back(before[i]);
                        }
                        subject.filter_mask(mask);
                    }
                    break;
                }
                case 4: {
                    std::vector<bool> named(slice_count);
                    bool permutation = true;
                    for (const t_size j : order) {
                        if (j >= slice_count || named[j]) permutation = false;
                        else named[j] = true;
                    }
                    try {
                        subject.reorder_partial(slice_base, order.data(), slice_count);
                    } catch (const pfc::exception_bug_check&) {
                        failed = true;
                    }
                    if (failed == permutation) std::abort();
                    if (permutation) {
                        for (t_size i = 0; i < slice_count; ++i) model[slice_base + i] = before[slice_base + order[i]];
                    }
                    break;
                }
                case 5:
                case 6: {
                    comparer compare(fail_after);
                    try {
                        if (op == 5) subject.sort(compare);
                        else subject.sort_stable(compare);
                    } catch (const std::runtime_error&) {
                        failed = true;
                    }
                    if (failed) {
                        // Stopped part way: the same entries, in some order.
                        model = contents(subject);
                        if (!same_entries(model, before)) std::abort();
                    } else if (op == 6) {
                        std::stable_sort(model.begin(), model.end());
                    } else {
                        // Not stable: the order of the keys is all that is promised.
                        std::vector<entry> sorted = model;
                        std::stable_sort(sorted.begin(), sorted.end());
                        model = contents(subject);
                        for (std::size_t i = 0; i < model.size(); ++i) {
                            if (model[i].key() != sorted[i].key()) std::abort();
                        }
                        if (!same_entries(model, before)) std::abort();
                    }
                    break;
                }
                case 7:
                    if (count == 0) break;
                    {
                        const item replacement = make(other);
                        subject.replace_item(index1, replacement);
                    }
                    model[index1] = other;
                    break;
                case 8:
                    if (count == 0) break;
                    subject.swap_item_with(index1, held_item);
                    std::swap(model[index1], held);
                    break;
                case 9:
                    if (count == 0) break;
                    subject.swap_items(index1, index2);
                    std::swap(model[index1], model[index2]);
                    break;
                case 10:
                    if (count == 0) break;
                    subject.get_item_ex(held_item, index1);
                    held = model[index1];
                    break;
                default:
                    held_item = make(other);
                    held = other;
                    break;
                }
            } catch (const std::bad_alloc& e) {
                out_of_memory = true;
                if (std::string_view(e.what()) != "bad allocation") std::abort();
            }
            platform::heap_disarm();
            platform::heap_refuse_expand(false);
            if (out_of_memory) {
                if (!fail_memory) std::abort();
                if (op == 3) {
                    // Filtered, then the smaller block could not be had.
                    if (subject.get_storage().get_capacity() != capacity_before) std::abort();
                } else {
                    model = before;
                    if (subject.get_storage().get_capacity() != capacity_before) std::abort();
                }
            } else if ((op <= 2 || model.size() < before.size()) && subject.get_storage().get_capacity() / 4 > subject.get_count()) {
                std::abort();  // a resize left more than three quarters empty
            }
            source.reset();
            check(subject, model, held, blocks);
        }
    }
    for (const counted_track& t : tracks) {
        if (t.refs != 0) std::abort();
    }
    if (platform::heap_live_blocks() != blocks) std::abort();
    return 0;
}
