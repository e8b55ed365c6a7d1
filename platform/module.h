#pragma once

// The handle the host passes for a loaded component library: on Windows the
// module handle the loader gave (the same type <windows.h> declares), here the
// host's dlopen handle. The component never looks inside it.
#if defined(_WIN32)
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
#else
using HINSTANCE = void*;
#endif

// Marks the one function a library exports (every other symbol stays inside).
#if defined(_WIN32)
#define PLATFORM_LIBRARY_EXPORT __declspec(dllexport)
#else
#define PLATFORM_LIBRARY_EXPORT __attribute__((visibility("default")))
#endif
