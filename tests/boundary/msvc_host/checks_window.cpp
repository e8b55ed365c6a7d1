// The queue window, as a real host has it: the component makes it on this
// thread, and the host's own plain message loop delivers its messages. Keys
// and clicks are posted to it as the system delivers them: the window reads
// WM_KEYDOWN (modifiers from the thread's keyboard state) and WM_LBUTTONDOWN
// at client coordinates.
#include "host.h"

namespace {

// Delivers this thread's messages until p_done says so or the time is up.
template <typename F>
bool pump_until(DWORD p_milliseconds, F&& p_done) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (p_done()) return true;
        const DWORD spent = GetTickCount() - start;
        if (spent >= p_milliseconds) return false;
        const DWORD left = p_milliseconds - spent;
        MsgWaitForMultipleObjects(0, nullptr, 0, left < 50 ? left : 50, QS_ALLINPUT);
    }
}

void pump(DWORD p_milliseconds) {
    pump_until(p_milliseconds, [] { return false; });
}

HWND queue_window() { return FindWindowW(nullptr, L"Sorvale"); }

void press(HWND p_window, UINT p_key) {
    PostMessageW(p_window, WM_KEYDOWN, p_key, 1);
    PostMessageW(p_window, WM_KEYUP, p_key, static_cast<LPARAM>(0xC0000001u));
    pump(150);
}

void hold_shift(bool p_held) {
    unsigned char keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = p_held ? 0x80 : 0;
    SetKeyboardState(keys);
}

void click(HWND p_window, LONG p_x, LONG p_y) {
    const LPARAM at = static_cast<LPARAM>((static_cast<unsigned long>(p_y) << 16) | (static_cast<unsigned long>(p_x) & 0xFFFF));
    PostMessageW(p_window, WM_LBUTTONDOWN, 1, at);
    PostMessageW(p_window, WM_LBUTTONUP, 0, at);
}

bool masks_equal(const mask_answers& p_seen, const mask_answers& p_expected) {
    if (p_seen.count != p_expected.count) return false;
    for (t_size i = 0; i < p_seen.count; ++i) {
        if (p_seen.at[i] != p_expected.at[i]) return false;
    }
    return p_seen.past_end == p_expected.past_end && p_seen.far_past == p_expected.far_past &&
           p_seen.first_true == p_expected.first_true && p_seen.first_false == p_expected.first_false &&
           p_seen.false_from_3 == p_expected.false_from_3;
}

void expect_mask(check_result& r, const mask_answers& p_seen, const mask_answers& p_expected) {
    char at[17] = {};
    for (t_size i = 0; i < p_seen.count && i < 16; ++i) at[i] = p_seen.at[i] ? '1' : '0';
    r.expect(masks_equal(p_seen, p_expected),
             "the mask over %u entries read %s, past the end %d and %d, finds %u %u %u", p_seen.count, at,
             p_seen.past_end, p_seen.far_past, p_seen.first_true, p_seen.first_false, p_seen.false_from_3);
}

}  // namespace

bool check_window(host& p_host) {
    host_playlist_manager& manager = p_host.managers[0];
    p_host.quit();
    p_host.reset_queue();
    check("execute(0) reads the queue once to fill its window", [&](check_result& r) {
        const int reads = manager.m_reads;
        p_host.execute(0);
        r.expect(manager.m_reads == reads + 1, "the queue was read %d times", manager.m_reads - reads);
    });
    HWND window = nullptr;
    pump_until(5000, [&] { return (window = queue_window()) != nullptr; });
    if (window == nullptr) {
        skip_check("the queue window's checks",
                   "no window titled Sorvale appeared within 5 seconds: this DLL draws no real window (one that "
                   "brings its own Win32 window backend does)");
        p_host.quit();
        return false;
    }

    check("it is a visible top-level window titled Sorvale, with no owner", [&](check_result& r) {
        r.expect(IsWindowVisible(window) != 0, "it is hidden");
        r.expect(GetParent(window) == nullptr, "it has a parent or an owner");
    });

    check("keys select lines 2 and 3, and Delete has the component remove exactly those positions",
          [&](check_result& r) {
              const int removals = manager.m_removals, reads = manager.m_reads;
              // A click on the first line gives the list the focus, which the
              // window may not have yet (the system activates it when it can).
              click(window, 20, 8);
              pump(150);
              press(window, VK_DOWN);
              press(window, VK_DOWN);
              hold_shift(true);
              press(window, VK_DOWN);
              hold_shift(false);
              press(window, VK_DELETE);
              if (!r.expect(pump_until(3000, [&] { return manager.m_removals != removals; }),
                            "remove_queue_entries was not called"))
                  return;
              mask_answers expected;
              expected.count = 6;
              expected.at[2] = expected.at[3] = true;
              expected.first_true = 2;
              expected.first_false = 0;
              expected.false_from_3 = 4;
              expect_mask(r, manager.m_last_mask, expected);
              r.expect(manager.m_count == 4 && manager.m_reads == reads + 1,
                       "%u entries left, the queue read %d times after", manager.m_count, manager.m_reads - reads);
          });

    check("a click on Clear has the component remove every position through an all-true mask",
          [&](check_result& r) {
              const int removals = manager.m_removals;
              const t_size count = manager.m_count;
              RECT client = {};
              GetClientRect(window, &client);
              // The buttons share the 23-pixel row at the bottom in three equal cells, Clear in the middle.
              click(window, client.right / 2, client.bottom - 11);
              if (!r.expect(pump_until(3000, [&] { return manager.m_removals != removals; }),
                            "remove_queue_entries was not called"))
                  return;
              mask_answers expected;
              expected.count = count;
              for (t_size i = 0; i < count; ++i) expected.at[i] = true;
              expected.past_end = expected.far_past = true;
              expected.first_true = 0;
              expected.first_false = count;
              expected.false_from_3 = 3 + 5;
              expect_mask(r, manager.m_last_mask, expected);
              r.expect(manager.m_count == 0, "%u entries left", manager.m_count);
          });

    check("while it is open, on_changed reads the queue again for added and removed entries, not for the head taken",
          [&](check_result& r) {
              p_host.reset_queue();
              struct change_row {
                  playback_queue_callback::t_change_origin origin;
                  int reads;
              };
              static const change_row rows[] = {{playback_queue_callback::origin_entries_added, 1},
                                         {playback_queue_callback::origin_head_taken, 0},
                                         {playback_queue_callback::origin_entries_removed, 1}};
              for (const change_row& row : rows) {
                  const int reads = manager.m_reads;
                  p_host.component.queue_callback->on_changed(row.origin);
                  pump(100);
                  r.expect(manager.m_reads == reads + row.reads, "origin %u read the queue %d times", row.origin,
                           manager.m_reads - reads);
              }
          });

    // A screen reader in a process of its own (tests/desktop/msaa_client.cpp,
    // named by SORVALE_MSAA_CLIENT), while this thread's plain loop runs.
    wchar_t command[600] = L"\"";
    const DWORD length = GetEnvironmentVariableW(L"SORVALE_MSAA_CLIENT", command + 1, 500);
    if (length == 0 || length >= 500) {
        skip_check("a screen reader through MSAA", "SORVALE_MSAA_CLIENT names no client program");
    } else {
        check("a screen reader in another process reads the lines and presses Clear through MSAA", [&](check_result& r) {
            const int removals = manager.m_removals;
            memcpy(command + 1 + length, L"\" read press Clear", sizeof L"\" read press Clear");
            STARTUPINFOW startup = {};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION process = {};
            // Its standard handles are this program's: what it says shows in this run's output.
            if (!r.expect(CreateProcessW(nullptr, command, nullptr, nullptr, 1, 0, nullptr, nullptr, &startup, &process) != 0,
                          "the client did not start (error %lu)", GetLastError()))
                return;
            const bool ended = pump_until(20000, [&] { return MsgWaitForMultipleObjects(1, &process.hProcess, 0, 0, 0) == 0; });
            DWORD code = 1;
            GetExitCodeProcess(process.hProcess, &code);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            r.expect(ended && code == 0, "the client %s with %lu", ended ? "ended" : "still runs", code);
            r.expect(manager.m_removals != removals && manager.m_count == 0, "%u entries left", manager.m_count);
        });
    }

    check("Esc closes the window, and the configuration then holds its size", [&](check_result& r) {
        press(window, VK_ESCAPE);
        r.expect(pump_until(3000, [] { return queue_window() == nullptr; }), "the window is still there");
        geometry saved;
        if (saved_geometry(p_host, r, saved))
            r.expect(saved.width > 0 && saved.height > 0, "the saved size is %ld x %ld", static_cast<long>(saved.width),
                     static_cast<long>(saved.height));
    });

    check("a second execute(0) opens a new window, and on_quit closes it", [&](check_result& r) {
        p_host.execute(0);
        r.expect(pump_until(5000, [] { return queue_window() != nullptr; }), "no window opened");
        p_host.quit();
        r.expect(pump_until(3000, [] { return queue_window() == nullptr; }), "on_quit left the window open");
    });
    return true;
}
