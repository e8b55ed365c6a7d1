#include "integration/sorvale_queue_callback.h"

void sorvale_queue_callback::on_changed(t_change_origin) {}
