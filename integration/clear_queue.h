#pragma once

// Empties the host's playback queue; the host then reports the change to the
// queue-change callbacks. Errors of acquiring the host's playlist_manager
// ("Service not found", "Service duplicated", "Bug check") go to the caller.
// [host's UI thread]
void g_clear_queue();
