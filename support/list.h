#pragma once

#include <cassert>

#include "support/array.h"
#include "support/bit_array.h"
#include "support/sort.h"
#include "support/types.h"

// The list interfaces through which the host fills and edits a list the
// component owns, and the list that implements them over a growable array.
// Neither interface has a destructor among its slots; the owner destroys a
// list as its own concrete type. Only insert_items checks an index: the other
// slots take an index below get_count() (asserted in debug builds), since only
// a programming error can pass another.
//
// A list is used by one thread at a time: the component makes it, the host
// fills it during read_queue_contents on the same thread, and the component
// reads it. Arguments are borrowed for the call. Elements are copied and
// assigned by value, so a queue entry in the list holds its own reference to
// its track. What an element's copy or a callback raises passes to the caller.
namespace pfc {

template <typename T>
class list_base_const_t {
public:
    virtual t_size get_count() const = 0;  // [nothrow]
    // Assigns element n to p_out, whose previous value is given up.
    virtual void get_item_ex(T& p_out, t_size n) const = 0;

protected:
    ~list_base_const_t() = default;
};

template <typename T>
class list_base_t : public list_base_const_t<T> {
public:
    // Supplied by whoever calls sort or sort_stable.
    class sort_callback {
    public:
        // Negative, 0 or positive as p_item1 orders before, equal to or after
        // p_item2. May throw; the sort then stops with the elements partly sorted.
        virtual t_int32 compare(const T& p_item1, const T& p_item2) = 0;

    protected:
        ~sort_callback() = default;
    };

    // Keeps the elements whose bit is true, in order; asks the mask only
    // through find and never past get_count(). [throws: std::bad_alloc when a
    // shrink has to move the block, the list then filtered but not shrunk]
    virtual void filter_mask(const bit_array& mask) = 0;
    // Inserts every element of source before position base (past the end:
    // appends); answers the index of the first inserted one. source may be
    // this list: its elements as they were are inserted. [throws:
    // std::bad_alloc with the list unchanged; source's errors, the list then
    // grown, with default elements where the rest would have gone]
    virtual t_size insert_items(const list_base_const_t<T>& source, t_size base) = 0;
    // Element p_base + i becomes the one at p_base + p_order[i]; the slice
    // must lie inside the list. [throws: exception_bug_check when p_order is
    // no permutation of 0 to p_count - 1, and std::bad_alloc above 8,192
    // positions; nothing moved either way]
    virtual void reorder_partial(t_size p_base, const t_size* p_order, t_size p_count) = 0;
    // [throws: p_callback's, the elements then partly sorted]
    virtual void sort(sort_callback& p_callback) = 0;
    // Equal elements keep their order. [throws: std::bad_alloc before
    // anything moves; p_callback's, as sort]
    virtual void sort_stable(sort_callback& p_callback) = 0;
    virtual void replace_item(t_size idx, const T& item) = 0;
    // Exchanges element p_index with p_item.
    virtual void swap_item_with(t_size p_index, T& p_item) = 0;
    virtual void swap_items(t_size p_index1, t_size p_index2) = 0;

protected:
    ~list_base_t() = default;
};

// Adapts the caller's element comparer to positions.
template <typename T>
class sort_callback_wrapper {
public:
    explicit sort_callback_wrapper(typename list_base_t<T>::sort_callback& p_chain) noexcept : m_chain(p_chain) {}
    t_int32 compare(const T& p_item1, const T& p_item2) { return m_chain.compare(p_item1, p_item2); }

private:
    typename list_base_t<T>::sort_callback& m_chain;
};

// Positions of an array, compared by the wrapped comparer and swapped by value.
// Reads the array's block on every call; lives for one sort. Final, so that
// pfc::sort_t calls it directly.
template <typename t_array, typename t_compare>
class sort_callback_impl_simple_wrap_t final : public pfc::sort_callback {
public:
    sort_callback_impl_simple_wrap_t(t_array& p_array, t_compare p_compare) noexcept
        : m_array(&p_array), m_compare(p_compare) {}
    ~sort_callback_impl_simple_wrap_t() = default;

    t_int32 compare(t_size p_index1, t_size p_index2) override {
        return m_compare.compare((*m_array)[p_index1], (*m_array)[p_index2]);
    }
    void swap(t_size p_index1, t_size p_index2) override { swap_t((*m_array)[p_index1], (*m_array)[p_index2]); }

private:
    t_array* m_array;
    t_compare m_compare;
};

// Positions of an array, swapped by value; lives for one reorder.
template <typename t_array>
class reorder_callback_impl_t : public reorder_callback {
public:
    explicit reorder_callback_impl_t(t_array& p_array) noexcept : m_array(&p_array) {}
    ~reorder_callback_impl_t() = default;

    void swap(t_size p_index1, t_size p_index2) override { swap_t((*m_array)[p_index1], (*m_array)[p_index2]); }

private:
    t_array* m_array;
};

// The ten list operations over an element array. Owns the array and, through
// it, every element; elements are moved with swap_t, so a move never changes
// a counted reference for good.
template <typename T, typename t_storage>
class list_impl_t : public list_base_t<T> {
public:
    using sort_callback = typename list_base_t<T>::sort_callback;

    list_impl_t() noexcept = default;
    list_impl_t(const list_impl_t&) = delete;
    list_impl_t& operator=(const list_impl_t&) = delete;
    ~list_impl_t() = default;

    t_size get_count() const override { return m_array.get_size(); }

    void get_item_ex(T& p_out, t_size n) const override {
        assert(n < get_count() && "list index out of range");
        p_out = m_array[n];
    }

    void filter_mask(const bit_array& mask) override {
        const t_size count = get_count();
        t_size kept = mask.find(false, 0, static_cast<t_int32>(count));
        if (kept >= count) return;
        t_size next = mask.find(true, kept + 1, static_cast<t_int32>(count - kept - 1));
        while (next < count) {
            swap_t(m_array[kept], m_array[next]);
            ++kept;
            next = mask.find(true, next + 1, static_cast<t_int32>(count - next - 1));
        }
        m_array.set_size(kept);
    }

    t_size insert_items(const list_base_const_t<T>& source, t_size base) override {
        const t_size count = this->get_count();
        if (base > count) base = count;
        const t_size added = source.get_count();
        if (static_cast<t_uint64>(count) + added > infinite_size) throw_bad_alloc();
        m_array.set_size(count + added);
        // Move the tail up by `added`, leaving fresh elements where the new ones go.
        for (t_size i = count; i-- > base;) swap_t(m_array[i + added], m_array[i]);
        if (&source == static_cast<const list_base_const_t<T>*>(this)) {
            // The list inserted into itself: asking it for element i now would
            // read the fresh elements or the moved tail, so copy each original
            // from where it stands after the move.
            for (t_size i = 0; i < added; ++i) m_array[base + i] = m_array[i < base ? i : i + added];
            return base;
        }
        for (t_size i = 0; i < added; ++i) source.get_item_ex(m_array[base + i], i);
        return base;
    }

    void reorder_partial(t_size p_base, const t_size* p_order, t_size p_count) override {
        // An empty slice touches nothing, wherever it lies.
        assert((p_count == 0 || (p_count <= get_count() && p_base <= get_count() - p_count)) &&
               "reordered slice out of range");
        reorder_callback_impl_t<t_storage> elements(m_array);
        reorder_callback_impl_delta shifted(elements, p_base);
        reorder(shifted, p_order, p_count);
    }

    // Only the caller's comparer is called through its table; moving the
    // elements and breaking ties are inlined into the sort.
    void sort(sort_callback& p_callback) override {
        sorter wrap(m_array, sort_callback_wrapper<T>(p_callback));
        pfc::sort_t(wrap, get_count());
    }

    void sort_stable(sort_callback& p_callback) override {
        sorter wrap(m_array, sort_callback_wrapper<T>(p_callback));
        pfc::sort_stable_t(wrap, get_count());
    }

    void replace_item(t_size idx, const T& item) override {
        assert(idx < get_count() && "list index out of range");
        m_array[idx] = item;
    }

    void swap_item_with(t_size p_index, T& p_item) override {
        assert(p_index < get_count() && "list index out of range");
        swap_t(m_array[p_index], p_item);
    }

    void swap_items(t_size p_index1, t_size p_index2) override {
        assert(p_index1 < get_count() && p_index2 < get_count() && "list index out of range");
        swap_t(m_array[p_index1], m_array[p_index2]);
    }

    // Element access for the owner; unchecked in release builds.
    const T& operator[](t_size n) const noexcept {
        assert(n < get_count() && "list index out of range");
        return m_array[n];
    }
    T& operator[](t_size n) noexcept {
        assert(n < get_count() && "list index out of range");
        return m_array[n];
    }
    const t_storage& get_storage() const noexcept { return m_array; }

private:
    using sorter = sort_callback_impl_simple_wrap_t<t_storage, sort_callback_wrapper<T>>;

    t_storage m_array;
};

template <typename T, template <typename> class t_alloc = alloc_fast>
class list_t : public list_impl_t<T, array_t<T, t_alloc>> {};

static_assert(sizeof(list_t<int>) == sizeof(void*) + sizeof(array_t<int, alloc_fast>), "vtable, then the array");

}  // namespace pfc
