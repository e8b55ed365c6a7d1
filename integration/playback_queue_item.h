#pragma once

#include "boundary/service.h"
#include "integration/metadb_handle.h"

// One entry of the host's playback queue: a counted track reference and two
// values that belong to the host, copied unchanged and never read here.
// Copying takes a reference to the track; destroying drops it.
struct t_playback_queue_item {
    service_ptr_t<metadb_handle> m_handle;
    t_uint32 m_playlist = 0;
    t_uint32 m_item = 0;
};

static_assert(sizeof(t_playback_queue_item) == sizeof(void*) + 8, "the host lays a queue entry out this way");
static_assert(offsetof(t_playback_queue_item, m_playlist) == sizeof(void*));
static_assert(offsetof(t_playback_queue_item, m_item) == sizeof(void*) + 4);
