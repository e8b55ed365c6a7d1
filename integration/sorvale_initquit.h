#pragma once

#include "integration/initquit.h"

// Closes the queue window when the host shuts down.
class sorvale_initquit : public initquit {
public:
    void on_quit() override;
};
