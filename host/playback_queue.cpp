#include "host/playback_queue.h"

#include <cassert>
#include <exception>
#include <utility>

#include "host/service_calls.h"
#include "integration/edge_queue.h"
#include "support/bit_array.h"
#include "support/list.h"

namespace host {

namespace {

// The queue as a list the component's list can copy from. Its slots raise
// nothing (an element's copy only takes a reference), so the component
// calls them with no edge between: the busiest call of a queue's reading.
class queue_source : public pfc::list_base_const_t<t_playback_queue_item> {
public:
    queue_source(const t_playback_queue_item* p_items, t_size p_count) noexcept : m_items(p_items), m_count(p_count) {}
    ~queue_source() = default;

    t_size get_count() const noexcept override { return m_count; }
    // The list's contract: n below get_count(). Past it, p_out is left as it is.
    void get_item_ex(t_playback_queue_item& p_out, t_size n) const noexcept override {
        assert(n < m_count && "queue entry out of range");
        if (n < m_count) p_out = m_items[n];
    }

private:
    const t_playback_queue_item* m_items;
    t_size m_count;
};

}  // namespace

playback_queue::playback_queue(registry& p_registry, error_report p_report)
    : m_registry(p_registry), m_report(std::move(p_report)) {}

t_int32 playback_queue::service_add_ref() noexcept { return ++m_references; }

t_int32 playback_queue::service_release() noexcept { return m_references > 0 ? --m_references : 0; }

// Both slots are called by components: their list and mask are theirs.
void playback_queue::read_queue_contents(pfc::list_base_t<t_playback_queue_item>& p_out) {
    edge::inbound([&] {
        const queue_source source(m_items.data() + m_head, size());
        edge::outbound([&] { p_out.insert_items(source, pfc::infinite_size); });
    });
}

void playback_queue::remove_queue_entries(const bit_array& p_mask) {
    edge::inbound([&] {
        edge::foreign<bit_array> mask(p_mask);
        remove_marked(mask.get());
    });
}

void playback_queue::remove_marked(const bit_array& p_mask) {
    // The mask is read in full before anything moves, so a mask that throws
    // leaves the queue as it was. It is read through find, a call per marked
    // position and one to end, not a call per position.
    const t_size count = size();
    std::vector<bool> marked(count);
    bool any = false;
    for (t_size i = p_mask.find(true, 0, static_cast<t_int32>(count)); i < count;
         i = p_mask.find(true, i + 1, static_cast<t_int32>(count - i - 1))) {
        marked[i] = true;
        any = true;
    }
    if (!any) return;
    // The kept entries move down over the removed ones and the spent front;
    // moving a track reference costs no call on the track.
    std::size_t kept = 0;
    for (t_size i = 0; i < count; ++i) {
        if (!marked[i]) m_items[kept++] = std::move(m_items[m_head + i]);
    }
    // The removed entries' references go before anyone hears of it.
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(kept), m_items.end());
    m_head = 0;
    report(playback_queue_callback::origin_entries_removed);
}

void playback_queue::add(std::span<const t_playback_queue_item> p_items) {
    if (p_items.empty()) return;
    m_items.insert(m_items.end(), p_items.begin(), p_items.end());
    report(playback_queue_callback::origin_entries_added);
}

service_ptr_t<metadb_handle> playback_queue::take_head() {
    if (size() == 0) return {};
    // The queue's reference passes to the player.
    service_ptr_t<metadb_handle> head = std::move(m_items[m_head].m_handle);
    ++m_head;
    if (m_head == m_items.size()) {
        m_items.clear();
        m_head = 0;
    } else if (m_head >= 64 && m_head >= m_items.size() - m_head) {
        // Every entry moved here was paid for by a take since the last drop.
        m_items.erase(m_items.begin(), m_items.begin() + static_cast<std::ptrdiff_t>(m_head));
        m_head = 0;
    }
    report(playback_queue_callback::origin_head_taken);
    return head;
}

void playback_queue::report(playback_queue_callback::t_change_origin p_origin) {
    // A copy, so a listener that changes the registry does not pull it away
    // from under the loop.
    const std::vector<service_ptr_t<service_base>> listeners =
        m_registry.services_of(playback_queue_callback::class_guid);
    for (const auto& listener : listeners) {
        try {
            call_service<playback_queue_callback>(m_registry, listener.get_ptr(),
                                                  [&](playback_queue_callback& l) { l.on_changed(p_origin); });
        } catch (const std::exception& e) {
            if (m_report) m_report(std::string("a queue listener failed: ") + e.what());
        }
    }
}

}  // namespace host
