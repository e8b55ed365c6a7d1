#pragma once

// Empties the host's playback queue; the host then reports the change to the
// queue-change callbacks. Errors of acquiring the host's playlist_manager
// ("Service not found", "Service duplicated", "Bug check") and of the host's
// call go to the caller, with the reference released. [ui-thread]
void g_clear_queue();
