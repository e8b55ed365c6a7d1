#include "integration/sorvale_initquit.h"

#include "boundary/edge.h"
#include "forms/application.h"
#include "window/ManagerWin.h"

void sorvale_initquit::on_quit() {
    edge::inbound([] {
        // Closing destroys the window, which stores its geometry.
        if (ManagerWin::instanceExists) ManagerWin::instance->Close();
        // Let go of the closed window's memory now rather than at the next pump step.
        forms::Application::Collect();
    });
}
