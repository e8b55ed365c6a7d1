#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "host/registry.h"
#include "integration/playback_queue_callback.h"
#include "integration/playlist_manager.h"

namespace host {

// The host's playlist_manager: the playback queue, entries in play order,
// each holding one counted track reference. Every change is reported to each
// playback_queue_callback in the registry once the queue is consistent again,
// so a listener may read the queue from inside its report.
//
// The object is counted like any host service; whoever owns it must outlive
// the references the registry and components take.
class playback_queue : public playlist_manager {
public:
    // p_report hears, in one line each, the errors that listeners raise; a
    // listener's failure does not undo the change nor stop the other reports.
    using error_report = std::function<void(const std::string&)>;

    playback_queue(registry& p_registry, error_report p_report);
    playback_queue(const playback_queue&) = delete;
    playback_queue& operator=(const playback_queue&) = delete;
    ~playback_queue() = default;

    t_int32 service_release() noexcept override;
    t_int32 service_add_ref() noexcept override;

    // Appends to p_out through insert_items, from a list of the host's own.
    void read_queue_contents(pfc::list_base_t<t_playback_queue_item>& p_out) override;
    // Removes the marked entries and, when any left, reports
    // origin_entries_removed before returning.
    void remove_queue_entries(const bit_array& p_mask) override;

    // Appends the entries and reports origin_entries_added (nothing for none).
    void add(std::span<const t_playback_queue_item> p_items);
    // The head starts playing: it leaves the queue and origin_head_taken is
    // reported. Answers the head's track, empty when the queue is empty.
    service_ptr_t<metadb_handle> take_head();

    t_size size() const { return static_cast<t_size>(m_items.size() - m_head); }
    // Throws std::out_of_range past the last entry.
    const t_playback_queue_item& at(t_size p_index) const { return m_items.at(m_head + p_index); }

    t_int32 references() const { return m_references; }

private:
    void remove_marked(const bit_array& p_mask);
    void report(playback_queue_callback::t_change_origin p_origin);

    registry& m_registry;
    error_report m_report;
    // The entries are m_items[m_head] onwards: taking the head only moves the
    // offset, and the spent front is dropped once it outweighs the entries, so
    // a take costs the same at any length.
    std::vector<t_playback_queue_item> m_items;
    std::size_t m_head = 0;
    t_int32 m_references = 0;
};

}  // namespace host
