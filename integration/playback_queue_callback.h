#pragma once

#include "boundary/service.h"

// Told of every change of the host's playback queue. [ui-thread]
class playback_queue_callback : public service_base {
    SORVALE_INTERFACE(playback_queue_callback)

    enum t_change_origin : t_uint32 {
        origin_entries_added = 0,    // entries were added after the last one; the rest are unchanged
        origin_entries_removed = 1,  // entries were removed; anything may have changed
        origin_head_taken = 2,       // exactly the head entry has left the queue
    };

    // After the change. May come while the component's own call into the
    // host that caused it (remove_queue_entries) is still running, or later.
    // [throws: what the listener raises; the component's window rereads the
    // queue: std::bad_alloc, acquisition errors, host errors]
    virtual void on_changed(t_change_origin p_origin) = 0;

protected:
    ~playback_queue_callback() = default;
};

inline const GUID playback_queue_callback::class_guid = {
    0xA49E087E, 0xD064, 0x4B2E, {0xA0, 0x8D, 0x11, 0x26, 0x4F, 0x69, 0x1F, 0xFE}};
