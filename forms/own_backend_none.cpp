// The shared toolkit: the program that loads it installs a backend and pumps
// (the host's desktop), or runs it headless. It opens none by itself.
#include "forms/detail.h"

namespace forms::detail {

void InstallOwnBackend() {}

}  // namespace forms::detail
