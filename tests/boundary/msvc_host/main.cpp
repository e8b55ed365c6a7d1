// msvc_test_host: a host built in Microsoft's C++ binary interface, as the
// real host is, which loads the component DLL and drives it through every
// slot, checking every result, error type and reference count.
//
//   msvc_test_host [--window] COMPONENT.dll
//
// Without --window it runs every check but the window's; with it, the
// window's alone (they need a display). Exit status: 0 when every check
// passed, 1 when one failed, 77 when the window's could not run, 2 on a bad
// command line.
#include "host.h"

void check_balance(host& p_host) {
    check("at the end every reference the host handed out is back and every lock undone", [&](check_result& r) {
        p_host.quit();
        const host_callback& callback = p_host.callback;
        r.expect(callback.m_refs == 0 && callback.m_add_refs == callback.m_releases,
                 "the callback holds %d references after %d add-refs and %d releases",
                 static_cast<int>(callback.m_refs), static_cast<int>(callback.m_add_refs),
                 static_cast<int>(callback.m_releases));
        for (const host_playlist_manager& manager : p_host.managers)
            r.expect(manager.m_refs == 0, "a playlist_manager holds %d references", static_cast<int>(manager.m_refs));
        expect_tracks_balanced(p_host, r);
    });
    check("FreeLibrary unloads the component", [&](check_result& r) {
        r.expect(FreeLibrary(p_host.component.module) != 0, "FreeLibrary failed (error %lu)", GetLastError());
        p_host.component.module = nullptr;
    });
}

int wmain(int argc, wchar_t** argv) {
    bool window = false;
    const wchar_t* dll = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (wcslen(argv[i]) == 8 && memcmp(argv[i], L"--window", 8 * sizeof(wchar_t)) == 0) {
            window = true;
        } else if (dll == nullptr) {
            dll = argv[i];
        } else {
            dll = nullptr;
            break;
        }
    }
    if (dll == nullptr) {
        printf("usage: msvc_test_host [--window] COMPONENT.dll\n");
        return 2;
    }
    host h;
    if (check_loading(h, dll)) {
        check_client(h);
        if (window) {
            check_window(h);
        } else {
            check_component_version(h);
            check_menu(h);
            check_config(h);
            check_without_window(h);
            check_execute(h);
            check_list(h);
        }
        check_balance(h);
    }
    const int status = finish_checks();
    unload(h);
    return status;
}
