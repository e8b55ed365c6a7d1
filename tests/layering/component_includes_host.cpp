// Compiled with the component's include roots; must fail: the component cannot
// reach the host's headers.
#include "host/application.h"
