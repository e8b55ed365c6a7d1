#pragma once

#include "integration/initquit.h"

// Closes the queue window when the host shuts down, so its size and position
// are stored before the host saves the configuration. A static of the
// component (foo_initquit), uncounted.
class sorvale_initquit : public initquit {
public:
    void on_quit() override;
};
