// What this program has instead of a C++ standard library. It is built in
// Microsoft's C++ binary interface, for which none exists here: msvcrt.dll is
// its C runtime, the few system calls it makes are declared below, and
// std::exception and std::bad_alloc are its own, in Microsoft's layout (a
// catch matches by the decorated name, .?AVexception@std@@, so the
// component's and the host's alike types meet).
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

extern "C" {
int printf(const char* p_format, ...);
int _snprintf(char* p_buffer, size_t p_size, const char* p_format, ...);
int _vsnprintf(char* p_buffer, size_t p_size, const char* p_format, va_list p_args);
int fflush(void* p_stream);
void* malloc(size_t p_size);
void* realloc(void* p_block, size_t p_size);
void free(void* p_block);
void* memcpy(void* p_to, const void* p_from, size_t p_size);
void* memset(void* p_to, int p_byte, size_t p_size);
int memcmp(const void* p_a, const void* p_b, size_t p_size);
size_t strlen(const char* p_text);
int strcmp(const char* p_a, const char* p_b);
int strncmp(const char* p_a, const char* p_b, size_t p_size);
size_t wcslen(const wchar_t* p_text);
[[noreturn]] void abort();
using signal_handler = void (*)(int);
signal_handler signal(int p_signal, signal_handler p_handler);
}
inline constexpr int SIGABRT = 22;

// The system calls, as Windows declares them.
using BOOL = int;
using DWORD = unsigned long;
using UINT = unsigned int;
using LONG = long;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using HANDLE = void*;
using HMODULE = struct HINSTANCE__*;
using HWND = struct HWND__*;
struct RECT {
    LONG left, top, right, bottom;
};
struct POINT {
    LONG x, y;
};
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
struct STARTUPINFOW {
    DWORD cb;
    wchar_t* lpReserved;
    wchar_t* lpDesktop;
    wchar_t* lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
    unsigned short wShowWindow, cbReserved2;
    unsigned char* lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
};
static_assert(sizeof(STARTUPINFOW) == (sizeof(void*) == 8 ? 104 : 68), "STARTUPINFOW as Windows lays it out");
struct PROCESS_INFORMATION {
    HANDLE hProcess, hThread;
    DWORD dwProcessId, dwThreadId;
};

#define SYSTEM_CALL extern "C" __declspec(dllimport)
SYSTEM_CALL HMODULE __stdcall LoadLibraryW(const wchar_t* p_path);
SYSTEM_CALL void* __stdcall GetProcAddress(HMODULE p_module, const char* p_name);
SYSTEM_CALL BOOL __stdcall FreeLibrary(HMODULE p_module);
SYSTEM_CALL DWORD __stdcall GetModuleFileNameW(HMODULE p_module, wchar_t* p_path, DWORD p_size);
SYSTEM_CALL DWORD __stdcall GetTempPathW(DWORD p_size, wchar_t* p_path);
SYSTEM_CALL BOOL __stdcall CreateDirectoryW(const wchar_t* p_path, void* p_security);
SYSTEM_CALL BOOL __stdcall RemoveDirectoryW(const wchar_t* p_path);
SYSTEM_CALL BOOL __stdcall CopyFileW(const wchar_t* p_from, const wchar_t* p_to, BOOL p_fail_if_there);
SYSTEM_CALL BOOL __stdcall DeleteFileW(const wchar_t* p_path);
SYSTEM_CALL DWORD __stdcall GetLastError();
SYSTEM_CALL void __stdcall RaiseException(DWORD p_code, DWORD p_flags, DWORD p_count, const uintptr_t* p_arguments);
SYSTEM_CALL DWORD __stdcall GetCurrentProcessId();
SYSTEM_CALL DWORD __stdcall GetTickCount();
SYSTEM_CALL void __stdcall Sleep(DWORD p_milliseconds);
SYSTEM_CALL int __stdcall WideCharToMultiByte(UINT p_code_page, DWORD p_flags, const wchar_t* p_text, int p_length,
                                              char* p_out, int p_size, const char* p_default, BOOL* p_used_default);
SYSTEM_CALL HWND __stdcall FindWindowW(const wchar_t* p_class, const wchar_t* p_title);
SYSTEM_CALL BOOL __stdcall IsWindowVisible(HWND p_window);
SYSTEM_CALL HWND __stdcall GetParent(HWND p_window);
SYSTEM_CALL BOOL __stdcall GetClientRect(HWND p_window, RECT* p_rect);
SYSTEM_CALL BOOL __stdcall PostMessageW(HWND p_window, UINT p_message, WPARAM p_wparam, LPARAM p_lparam);
SYSTEM_CALL BOOL __stdcall PeekMessageW(MSG* p_message, HWND p_window, UINT p_first, UINT p_last, UINT p_remove);
SYSTEM_CALL BOOL __stdcall TranslateMessage(const MSG* p_message);
SYSTEM_CALL LPARAM __stdcall DispatchMessageW(const MSG* p_message);
SYSTEM_CALL DWORD __stdcall MsgWaitForMultipleObjects(DWORD p_count, const HANDLE* p_handles, BOOL p_all,
                                                      DWORD p_milliseconds, DWORD p_wake_mask);
SYSTEM_CALL BOOL __stdcall GetKeyboardState(unsigned char* p_keys);
SYSTEM_CALL DWORD __stdcall GetEnvironmentVariableW(const wchar_t* p_name, wchar_t* p_value, DWORD p_size);
SYSTEM_CALL BOOL __stdcall CreateProcessW(const wchar_t* p_program, wchar_t* p_command, void* p_process_security,
                                          void* p_thread_security, BOOL p_inherit, DWORD p_flags, void* p_environment,
                                          const wchar_t* p_folder, STARTUPINFOW* p_startup, PROCESS_INFORMATION* p_process);
SYSTEM_CALL BOOL __stdcall GetExitCodeProcess(HANDLE p_process, DWORD* p_code);
SYSTEM_CALL BOOL __stdcall CloseHandle(HANDLE p_handle);
SYSTEM_CALL BOOL __stdcall SetKeyboardState(unsigned char* p_keys);
#undef SYSTEM_CALL

inline constexpr UINT CP_UTF8 = 65001;
inline constexpr UINT PM_REMOVE = 1;
inline constexpr DWORD QS_ALLINPUT = 0x04FF;
inline constexpr UINT WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202;
inline constexpr UINT VK_SHIFT = 0x10, VK_ESCAPE = 0x1B, VK_DOWN = 0x28, VK_DELETE = 0x2E;

struct EXCEPTION_RECORD {
    DWORD ExceptionCode;
    DWORD ExceptionFlags;
    EXCEPTION_RECORD* ExceptionRecord;
    void* ExceptionAddress;
    DWORD NumberParameters;
    uintptr_t ExceptionInformation[15];
};
struct EXCEPTION_POINTERS {
    EXCEPTION_RECORD* ExceptionRecord;
    void* ContextRecord;
};

// The SEH exception codes this program tells apart: a C++ exception thrown
// in Microsoft's way, and GCC's (its throw; the others of libgcc differ in
// the top byte).
inline constexpr DWORD code_msvc_exception = 0xE06D7363u;
inline constexpr DWORD code_gcc_exception = 0x20474343u;
// Ours: abort() was called (see check.cpp).
inline constexpr DWORD code_abort = 0xE0000002u;

namespace std {

class exception {
public:
    exception() noexcept : m_what(nullptr), m_owns_what(false) {}
    explicit exception(const char* p_what) noexcept : m_what(p_what), m_owns_what(false) {}
    // Messages here are static texts, never owned, so a copy shares them.
    exception(const exception& p_other) noexcept : m_what(p_other.m_what), m_owns_what(false) {}
    exception& operator=(const exception& p_other) noexcept {
        m_what = p_other.m_what;
        return *this;
    }
    virtual ~exception() noexcept {}
    virtual const char* what() const { return m_what != nullptr ? m_what : "Unknown exception"; }

private:
    const char* m_what;
    [[maybe_unused]] bool m_owns_what;
};

class bad_alloc : public exception {
public:
    bad_alloc() noexcept : exception("bad allocation") {}
};

}  // namespace std

static_assert(sizeof(std::exception) == 3 * sizeof(void*), "the table, the message, the ownership flag");
