#pragma once

#include "boundary/edge.h"
#include "integration/playback_queue_item.h"
#include "integration/playlist_manager.h"
#include "support/bit_array.h"
#include "support/list.h"

// The playback queue across the edge (edge.h). The component hands its list
// to the host's read_queue_contents, which fills and edits it through the
// list's slots and hands over masks, sources and comparers of its own; it
// hands its masks to remove_queue_entries. Each of these has both forms
// here, since both parties build with them. Every object here lives for the
// one call that hands it over.
//
// A queue entry's track is always the host's object, held in our list as
// the host wrote it: only its reference counts are touched outside these
// calls, and those never throw.
namespace edge {

using queue_list = pfc::list_base_t<t_playback_queue_item>;
using queue_source = pfc::list_base_const_t<t_playback_queue_item>;
using queue_comparer = queue_list::sort_callback;

#if SORVALE_MSVC_ABI

// The other party's source, mask and comparer, as our list calls them.
template <>
class foreign<queue_source> final : public queue_source {
public:
    explicit foreign(const queue_source& p_source) noexcept : m_source(p_source) {}
    ~foreign() = default;
    const queue_source& get() const noexcept { return *this; }

    t_size get_count() const override {
        return outbound([&] { return m_source.get_count(); });
    }
    void get_item_ex(t_playback_queue_item& p_out, t_size n) const override {
        outbound([&] { m_source.get_item_ex(p_out, n); });
    }

private:
    const queue_source& m_source;
};

template <>
class foreign<bit_array> final : public bit_array {
public:
    explicit foreign(const bit_array& p_mask) noexcept : m_mask(p_mask) {}
    ~foreign() = default;
    const bit_array& get() const noexcept { return *this; }

    bool get(t_size n) const override {
        return outbound([&] { return m_mask.get(n); });
    }
    t_size find(bool val, t_size start, t_int32 count) const override {
        return outbound([&] { return m_mask.find(val, start, count); });
    }

private:
    const bit_array& m_mask;
};

template <>
class foreign<queue_comparer> final : public queue_comparer {
public:
    explicit foreign(queue_comparer& p_comparer) noexcept : m_comparer(p_comparer) {}
    ~foreign() = default;
    queue_comparer& get() noexcept { return *this; }

    t_int32 compare(const t_playback_queue_item& p_item1, const t_playback_queue_item& p_item2) override {
        return outbound([&] { return m_comparer.compare(p_item1, p_item2); });
    }

private:
    queue_comparer& m_comparer;
};

// Ours, as the other party calls them.
template <>
class facing<queue_source> final : public queue_source {
public:
    explicit facing(const queue_source& p_source) noexcept : m_source(p_source) {}
    ~facing() = default;
    const queue_source& get() const noexcept { return *this; }

    t_size get_count() const override {
        return inbound([&] { return m_source.get_count(); });
    }
    void get_item_ex(t_playback_queue_item& p_out, t_size n) const override {
        inbound([&] { m_source.get_item_ex(p_out, n); });
    }

private:
    const queue_source& m_source;
};

template <>
class facing<bit_array> final : public bit_array {
public:
    explicit facing(const bit_array& p_mask) noexcept : m_mask(p_mask) {}
    ~facing() = default;
    const bit_array& get() const noexcept { return *this; }

    bool get(t_size n) const override {
        return inbound([&] { return m_mask.get(n); });
    }
    t_size find(bool val, t_size start, t_int32 count) const override {
        return inbound([&] { return m_mask.find(val, start, count); });
    }

private:
    const bit_array& m_mask;
};

template <>
class facing<queue_comparer> final : public queue_comparer {
public:
    explicit facing(queue_comparer& p_comparer) noexcept : m_comparer(p_comparer) {}
    ~facing() = default;
    queue_comparer& get() noexcept { return *this; }

    t_int32 compare(const t_playback_queue_item& p_item1, const t_playback_queue_item& p_item2) override {
        return inbound([&] { return m_comparer.compare(p_item1, p_item2); });
    }

private:
    queue_comparer& m_comparer;
};

// Our list as the other party fills and edits it. The slots that cannot
// fail (the count, reading, replacing and swapping elements: element copies
// only move references) go straight to the list.
template <>
class facing<queue_list> final : public queue_list {
public:
    explicit facing(queue_list& p_list) noexcept : m_list(p_list) {}
    ~facing() = default;
    queue_list& get() noexcept { return *this; }

    t_size get_count() const override { return m_list.get_count(); }
    void get_item_ex(t_playback_queue_item& p_out, t_size n) const override { m_list.get_item_ex(p_out, n); }
    void filter_mask(const bit_array& mask) override {
        inbound([&] { m_list.filter_mask(foreign<bit_array>(mask).get()); });
    }
    t_size insert_items(const queue_source& source, t_size base) override {
        return inbound([&] {
            // The other party can only name our list by this object.
            if (&source == this) return m_list.insert_items(m_list, base);
            return m_list.insert_items(foreign<queue_source>(source).get(), base);
        });
    }
    void reorder_partial(t_size p_base, const t_size* p_order, t_size p_count) override {
        inbound([&] { m_list.reorder_partial(p_base, p_order, p_count); });
    }
    void sort(sort_callback& p_callback) override {
        inbound([&] {
            foreign<queue_comparer> comparer(p_callback);
            m_list.sort(comparer.get());
        });
    }
    void sort_stable(sort_callback& p_callback) override {
        inbound([&] {
            foreign<queue_comparer> comparer(p_callback);
            m_list.sort_stable(comparer.get());
        });
    }
    void replace_item(t_size idx, const t_playback_queue_item& item) override { m_list.replace_item(idx, item); }
    void swap_item_with(t_size p_index, t_playback_queue_item& p_item) override { m_list.swap_item_with(p_index, p_item); }
    void swap_items(t_size p_index1, t_size p_index2) override { m_list.swap_items(p_index1, p_index2); }

private:
    queue_list& m_list;
};

// The other party's list, as our code fills and edits it.
template <>
class foreign<queue_list> final : public queue_list {
public:
    explicit foreign(queue_list& p_list) noexcept : m_list(p_list) {}
    ~foreign() = default;
    queue_list& get() noexcept { return *this; }

    t_size get_count() const override {
        return outbound([&] { return m_list.get_count(); });
    }
    void get_item_ex(t_playback_queue_item& p_out, t_size n) const override {
        outbound([&] { m_list.get_item_ex(p_out, n); });
    }
    void filter_mask(const bit_array& mask) override {
        facing<bit_array> ours(mask);
        outbound([&] { m_list.filter_mask(ours.get()); });
    }
    t_size insert_items(const queue_source& source, t_size base) override {
        // Our code can only name the other party's list by this object.
        if (&source == this) return outbound([&] { return m_list.insert_items(m_list, base); });
        facing<queue_source> ours(source);
        return outbound([&] { return m_list.insert_items(ours.get(), base); });
    }
    void reorder_partial(t_size p_base, const t_size* p_order, t_size p_count) override {
        outbound([&] { m_list.reorder_partial(p_base, p_order, p_count); });
    }
    void sort(sort_callback& p_callback) override {
        facing<queue_comparer> ours(p_callback);
        outbound([&] { m_list.sort(ours.get()); });
    }
    void sort_stable(sort_callback& p_callback) override {
        facing<queue_comparer> ours(p_callback);
        outbound([&] { m_list.sort_stable(ours.get()); });
    }
    void replace_item(t_size idx, const t_playback_queue_item& item) override {
        outbound([&] { m_list.replace_item(idx, item); });
    }
    void swap_item_with(t_size p_index, t_playback_queue_item& p_item) override {
        outbound([&] { m_list.swap_item_with(p_index, p_item); });
    }
    void swap_items(t_size p_index1, t_size p_index2) override {
        outbound([&] { m_list.swap_items(p_index1, p_index2); });
    }

private:
    queue_list& m_list;
};

#endif

// The other party's playlist_manager as our code calls it: each call one
// outbound, our list and mask handed over facing it.
class foreign_playlist_manager {
public:
    explicit foreign_playlist_manager(playlist_manager& p_manager) noexcept : m_manager(p_manager) {}

    void read_queue_contents(queue_list& p_out) {
        facing<queue_list> list(p_out);
        outbound([&] { m_manager.read_queue_contents(list.get()); });
    }
    void remove_queue_entries(const bit_array& p_mask) {
        facing<bit_array> mask(p_mask);
        outbound([&] { m_manager.remove_queue_entries(mask.get()); });
    }

private:
    playlist_manager& m_manager;
};

}  // namespace edge
