#include "host/playback_queue.h"

#include <exception>

#include "support/bit_array.h"
#include "support/list.h"

namespace host {

namespace {

// The queue as a list the component's list can copy from.
class queue_source : public pfc::list_base_const_t<t_playback_queue_item> {
public:
    explicit queue_source(const std::vector<t_playback_queue_item>& p_items) noexcept : m_items(p_items) {}
    ~queue_source() = default;

    t_size get_count() const override { return static_cast<t_size>(m_items.size()); }
    void get_item_ex(t_playback_queue_item& p_out, t_size n) const override { p_out = m_items.at(n); }

private:
    const std::vector<t_playback_queue_item>& m_items;
};

}  // namespace

playback_queue::playback_queue(registry& p_registry, error_report p_report)
    : m_registry(p_registry), m_report(std::move(p_report)) {}

t_int32 playback_queue::service_add_ref() noexcept { return ++m_references; }

t_int32 playback_queue::service_release() noexcept { return m_references > 0 ? --m_references : 0; }

void playback_queue::read_queue_contents(pfc::list_base_t<t_playback_queue_item>& p_out) {
    const queue_source source(m_items);
    p_out.insert_items(source, pfc::infinite_size);
}

void playback_queue::remove_queue_entries(const bit_array& p_mask) {
    std::vector<t_playback_queue_item> kept;
    kept.reserve(m_items.size());
    for (t_size i = 0; i < m_items.size(); ++i) {
        if (!p_mask.get(i)) kept.push_back(m_items[i]);
    }
    if (kept.size() == m_items.size()) return;
    m_items.swap(kept);
    kept.clear();  // the removed entries' references go before anyone hears of it
    report(playback_queue_callback::origin_entries_removed);
}

void playback_queue::add(std::span<const t_playback_queue_item> p_items) {
    if (p_items.empty()) return;
    m_items.insert(m_items.end(), p_items.begin(), p_items.end());
    report(playback_queue_callback::origin_entries_added);
}

service_ptr_t<metadb_handle> playback_queue::take_head() {
    if (m_items.empty()) return {};
    service_ptr_t<metadb_handle> head = m_items.front().m_handle;
    m_items.erase(m_items.begin());
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
            static_cast<playback_queue_callback*>(listener.get_ptr())->on_changed(p_origin);
        } catch (const std::exception& e) {
            if (m_report) m_report(std::string("a queue listener failed: ") + e.what());
        }
    }
}

}  // namespace host
