#pragma once

#include "integration/playback_queue_callback.h"

// Passes every queue change to the open queue window; with none open it does
// nothing. A static of the component (g_queue_callback), uncounted.
class sorvale_queue_callback : public playback_queue_callback {
public:
    void on_changed(t_change_origin p_origin) override;
};
