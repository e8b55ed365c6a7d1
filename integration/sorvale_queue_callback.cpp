#include "integration/sorvale_queue_callback.h"

#include "boundary/edge.h"
#include "window/ManagerWin.h"

// Changes made while no window is open are not kept: a window reads the whole
// queue when it opens.
void sorvale_queue_callback::on_changed(t_change_origin p_origin) {
    edge::inbound([&] {
        if (ManagerWin::instanceExists) ManagerWin::instance->onQueueChanged(p_origin);
    });
}
