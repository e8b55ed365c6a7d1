#pragma once

// The handle the host passes for a loaded component library. On this platform
// it is the host's dlopen handle; the component never looks inside it.
using HINSTANCE = void*;
