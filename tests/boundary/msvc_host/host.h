// Everything of the host's for one run, what it has of the loaded component,
// and the check groups by subject, in the order the runner calls them.
#pragma once

#include "check.h"
#include "host_objects.h"

// What the host has of the component once it is loaded: its services come
// from its factory list, static and uncounted.
struct loaded_component {
    HMODULE module = nullptr;
    foobar2000_get_interface_t entry = nullptr;
    foobar2000_client* client = nullptr;
    mainmenu_commands* menu = nullptr;
    playback_queue_callback* queue_callback = nullptr;
    initquit* init_quit = nullptr;
    componentversion* version = nullptr;
    wchar_t folder[320] = {};
    wchar_t path[400] = {};
    char path_utf8[800] = {};
    char name_utf8[160] = {};
};

struct host {
    host() noexcept;
    host(const host&) = delete;
    host& operator=(const host&) = delete;

    // The first six tracks, a to f, are the queue; x, y and z are spares.
    host_track& track(char p_letter);
    void reset_queue();
    // The menu command, with the host's callback handed over by value.
    void execute(t_uint32 p_index);
    // Closes the window if the component has one open.
    void quit() { component.init_quit->on_quit(); }
    // The registry with one playlist_manager, the gate open, services off,
    // no queue hook: as every check expects to find the host.
    void restore_defaults();

    host_api api;
    host_playlist_manager managers[2];
    host_track tracks[9];
    host_callback callback;
    host_abort abort;
    loaded_component component;
};

// Restores the host's defaults when it goes out of scope, also when a check
// ends in an exception.
struct defaults_on_exit {
    ~defaults_on_exit() { m_host.restore_defaults(); }
    host& m_host;
};

// What every track's counts say at the end: each holds one reference for
// each entry of the host's that names it, no lock is left, none was nested
// or taken two at a time, and no peek came unlocked.
void expect_tracks_balanced(host& p_host, check_result& p_result);

// Every track's counts at one moment, so that a check can say afterwards
// what the component changed since, whatever earlier checks left behind.
// Making one starts a new count of the most tracks locked at once.
class track_counts {
public:
    explicit track_counts(host& p_host);
    // Each letter's references changed as p_changes says ("a+1 b-1"), every
    // other track's not at all.
    void expect_references(check_result& p_result, const char* p_changes) const;
    // Every reference and lock taken since is given back; no lock was nested
    // or taken two at a time, and no peek came unlocked.
    void expect_back(check_result& p_result) const;

private:
    host& m_host;
    t_int32 m_refs[9];
    int m_locks[9];
    int m_unlocks[9];
    int m_peeks_unlocked[9];
};

// The window geometry the component saves: position then size.
struct geometry {
    t_int32 x, y, width, height;
};
// The two records, position then size, as the component writes them.
void geometry_stream(byte_buffer& p_out, const geometry& p_geometry);
// Restores p_geometry through set_config.
void restore_geometry(host& p_host, const geometry& p_geometry);
// What get_config saves, read back; false (and a failure) when it is not
// exactly the two records.
bool saved_geometry(host& p_host, check_result& p_result, geometry& p_out);

// A GUID as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
struct guid_text {
    explicit guid_text(const GUID& p_guid);
    char text[40];
};

// The groups. check_loading answers false when there is no component to
// drive; check_window false when no window appeared (its checks skipped).
bool check_loading(host& p_host, const wchar_t* p_dll);
void check_client(host& p_host);
void check_component_version(host& p_host);
void check_menu(host& p_host);
void check_config(host& p_host);
void check_without_window(host& p_host);
void check_execute(host& p_host);
void check_list(host& p_host);
bool check_window(host& p_host);
void check_balance(host& p_host);
void unload(host& p_host);
