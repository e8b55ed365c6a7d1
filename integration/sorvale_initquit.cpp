#include "integration/sorvale_initquit.h"

void sorvale_initquit::on_quit() {}
