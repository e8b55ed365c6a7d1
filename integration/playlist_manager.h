#pragma once

#include "boundary/service.h"
#include "integration/playback_queue_item.h"

class bit_array;
namespace pfc {
template <typename T>
class list_base_t;
}

// The host's playlist and playback-queue API; it has exactly one
// implementation, acquired through static_api_ptr_t. The host's class may add
// operations after these. Arguments are the caller's, borrowed for the call.
// [ui-thread]
class playlist_manager : public service_base {
    SORVALE_INTERFACE(playlist_manager)

    // Appends one element per queue entry to p_out, an empty list of the
    // caller's, head first, before returning; each element holds its own
    // reference to its track. [throws: what p_out raises (std::bad_alloc),
    // host errors]
    virtual void read_queue_contents(pfc::list_base_t<t_playback_queue_item>& p_out) = 0;
    // Removes every marked entry (position 0 is the head), then reports the
    // change through the queue-change callbacks, during the call or later.
    // [throws: host errors, and what a callback raises during the call]
    virtual void remove_queue_entries(const bit_array& p_mask) = 0;

protected:
    ~playlist_manager() = default;
};

inline const GUID playlist_manager::class_guid = {
    0xD8D51855, 0xD79D, 0x49B8, {0x97, 0xA8, 0x06, 0x57, 0x85, 0xFA, 0x24, 0x26}};
