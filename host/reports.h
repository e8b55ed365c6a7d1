#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>

#include "host/component_library.h"
#include "host/config_store.h"
#include "host/playback_queue.h"

namespace host {

// What sorvale-host prints of what it sees, for the start-up and the session
// alike, each report ending in a line end.

// "loaded NAME", the client version, the services in list order, the entry in
// the component list and what the restore of its configuration found
// (p_restored: null without a configuration folder).
void print_loaded(std::FILE* p_out, component_library& p_component, const config_store::restore_result* p_restored);

// The queue as filled at start-up, with the library's size.
void print_filled_queue(std::FILE* p_out, const playback_queue& p_queue, std::size_t p_library_size);

// The queue as the session's queue command shows it.
void print_queue(std::FILE* p_out, const playback_queue& p_queue);

// The save at the end: how many of the components' configurations went to p_folder.
void print_saved(std::FILE* p_out, std::size_t p_saved, std::size_t p_components, const std::filesystem::path& p_folder);

}  // namespace host
