// The menu command on every path: the callback handed over by value is
// released exactly once, the errors of reaching the host's playlist_manager
// and the host's own errors come back by type, and every reference and lock
// the component took on the way is given back.
#include "host.h"

namespace {

enum class outcome { nothing, opens, not_found, duplicated, bug_check, host_error };

struct path {
    const char* name;
    t_uint32 index;
    bool services;
    bool gate;
    registry_state registry;
    outcome expected;
};

const path paths[] = {
    {"execute(1) does nothing and releases the callback once", 1, true, true, registry_state::one, outcome::nothing},
    {"execute(0) with the gate answering no opens nothing and releases the callback once", 0, true, false,
     registry_state::one, outcome::nothing},
    {"execute(0) with services off asks no gate, reads the queue once and releases the callback once", 0, false,
     true, registry_state::one, outcome::opens},
    {"execute(0) with no playlist_manager: exception_service_not_found, the callback released once", 0, false, true,
     registry_state::none, outcome::not_found},
    {"execute(0) with two playlist_managers: exception_service_duplicated, the callback released once", 0, false,
     true, registry_state::two, outcome::duplicated},
    {"execute(0) when creating the playlist_manager fails: pfc::exception_bug_check, the callback released once", 0,
     false, true, registry_state::failing, outcome::bug_check},
    {"execute(0) when read_queue_contents raises a host error: it comes back as itself, the callback released once",
     0, false, true, registry_state::one, outcome::host_error},
};

// Runs the path's command; answers how many times it ran.
int run(host& p_host, const path& p_path, check_result& r) {
    auto call = [&] { p_host.execute(p_path.index); };
    switch (p_path.expected) {
        case outcome::nothing:
        case outcome::opens: call(); return 1;
        case outcome::host_error:
            expect_throws<host_error>(r, "execute(0)", call, [&](const host_error& e) {
                r.expect(e.m_code == 33 && strcmp(e.m_note, "queue") == 0, "it came back as (%d, \"%s\")", e.m_code,
                         e.m_note);
            });
            return 1;
        case outcome::not_found:
            expect_error<exception_service_not_found>(r, "execute(0)", "Service not found", call);
            expect_error<std::exception>(r, "execute(0), as std::exception,", "Service not found", call);
            return 2;
        case outcome::duplicated:
            expect_error<exception_service_duplicated>(r, "execute(0)", "Service duplicated", call);
            expect_error<std::exception>(r, "execute(0), as std::exception,", "Service duplicated", call);
            return 2;
        case outcome::bug_check:
            expect_error<pfc::exception_bug_check>(r, "execute(0)", "Bug check", call);
            expect_error<std::exception>(r, "execute(0), as std::exception,", "Bug check", call);
            return 2;
    }
    return 0;
}

}  // namespace

void check_execute(host& p_host) {
    foobar2000_client* client = p_host.component.client;
    host_callback& callback = p_host.callback;
    host_playlist_manager& manager = p_host.managers[0];
    auto raise_from_queue = [](host_playlist_manager::list&) { throw host_error(33, "queue"); };

    for (const path& path : paths) {
        check(path.name, [&](check_result& r) {
            const defaults_on_exit defaults{p_host};
            p_host.quit();
            client->services_init(path.services);
            p_host.api.m_gate = path.gate;
            p_host.api.m_registry = path.registry;
            if (path.expected == outcome::host_error) manager.set_read_hook(raise_from_queue);
            const int releases = callback.m_releases, gates = p_host.api.m_gate_checks, reads = manager.m_reads;
            const t_int32 callback_refs = callback.m_refs, manager_refs[] = {manager.m_refs, p_host.managers[1].m_refs};
            const track_counts tracks(p_host);

            const int runs = run(p_host, path, r);

            p_host.restore_defaults();
            r.expect(callback.m_refs == callback_refs && callback.m_releases == releases + runs,
                     "the callback was released %d times in %d runs", callback.m_releases - releases, runs);
            r.expect(p_host.api.m_gate_checks == gates + (path.services ? runs : 0), "the gate was asked %d times",
                     p_host.api.m_gate_checks - gates);
            const bool reads_queue = path.expected == outcome::opens || path.expected == outcome::host_error;
            r.expect(manager.m_reads == reads + (reads_queue ? runs : 0), "the queue was read %d times",
                     manager.m_reads - reads);
            p_host.quit();
            for (int i = 0; i < 2; ++i)
                r.expect(p_host.managers[i].m_refs == manager_refs[i], "playlist_manager %d's references changed by %d",
                         i + 1, static_cast<int>(p_host.managers[i].m_refs - manager_refs[i]));
            tracks.expect_back(r);
            if (path.expected == outcome::nothing || path.expected == outcome::opens) return;
            // After the error, the command still works.
            p_host.execute(0);
            r.expect(manager.m_reads == reads + runs * reads_queue + 1, "a later execute(0) did not read the queue");
            p_host.quit();
            r.expect(manager.m_refs == manager_refs[0] && callback.m_refs == callback_refs,
                     "a later execute(0) kept references");
        });
    }
}
