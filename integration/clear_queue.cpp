#include "integration/clear_queue.h"

#include "boundary/service_api.h"
#include "integration/edge_queue.h"
#include "integration/playlist_manager.h"
#include "support/bit_array.h"

void g_clear_queue() {
    static_api_ptr_t<playlist_manager> api;
    edge::foreign_playlist_manager(*api.get_ptr()).remove_queue_entries(bit_array_true());
}
