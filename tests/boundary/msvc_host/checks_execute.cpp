// The menu command on every path: the callback handed over by value is
// released exactly once, the errors of reaching the host's playlist_manager
// and the host's own errors come back by type, and every reference and lock
// the component took on the way is given back.
#include "host.h"

namespace {

// An acquisition error, caught by its type and then as std::exception: two runs.
template <typename E>
void expect_acquisition_error(check_result& r, host& p_host, const char* p_message) {
    auto call = [&] { p_host.execute(0); };
    expect_error<E>(r, "execute(0)", p_message, call);
    expect_error<std::exception>(r, "execute(0), as std::exception,", p_message, call);
}

struct path {
    const char* name;
    t_uint32 index;
    bool services;
    bool gate;
    registry_state registry;
    bool reads_queue;
    bool host_error;                                         // read_queue_contents raises one
    void (*acquisition_error)(check_result&, host&, const char*);  // or none
    const char* message;
};

const path paths[] = {
    {"execute(1) does nothing and releases the callback once", 1, true, true, registry_state::one, false, false,
     nullptr, nullptr},
    {"execute(0) with the gate answering no opens nothing and releases the callback once", 0, true, false,
     registry_state::one, false, false, nullptr, nullptr},
    {"execute(0) with services off asks no gate, reads the queue once and releases the callback once", 0, false,
     true, registry_state::one, true, false, nullptr, nullptr},
    {"execute(0) with no playlist_manager: exception_service_not_found, the callback released once", 0, false, true,
     registry_state::none, false, false, &expect_acquisition_error<exception_service_not_found>, "Service not found"},
    {"execute(0) with two playlist_managers: exception_service_duplicated, the callback released once", 0, false,
     true, registry_state::two, false, false, &expect_acquisition_error<exception_service_duplicated>,
     "Service duplicated"},
    {"execute(0) when creating the playlist_manager fails: pfc::exception_bug_check, the callback released once", 0,
     false, true, registry_state::failing, false, false, &expect_acquisition_error<pfc::exception_bug_check>,
     "Bug check"},
    {"execute(0) when read_queue_contents raises a host error: it comes back as itself, the callback released once",
     0, false, true, registry_state::one, true, true, nullptr, nullptr},
};

// Runs the path's command; answers how many times it ran.
int run(host& p_host, const path& p_path, check_result& r) {
    if (p_path.acquisition_error != nullptr) {
        p_path.acquisition_error(r, p_host, p_path.message);
        return 2;
    }
    if (!p_path.host_error) {
        p_host.execute(p_path.index);
        return 1;
    }
    expect_throws<host_error>(r, "execute(0)", [&] { p_host.execute(p_path.index); }, [&](const host_error& e) {
        r.expect(e.m_code == 33 && strcmp(e.m_note, "queue") == 0, "it came back as (%d, \"%s\")", e.m_code,
                 e.m_note);
    });
    return 1;
}

}  // namespace

void check_execute(host& p_host) {
    host_callback& callback = p_host.callback;
    host_playlist_manager& manager = p_host.managers[0];
    auto raise_from_queue = [](host_playlist_manager::list&) { throw host_error(33, "queue"); };

    for (const path& row : paths) {
        check(row.name, [&](check_result& r) {
            const defaults_on_exit defaults{p_host};
            p_host.quit();
            p_host.component.client->services_init(row.services);
            p_host.api.m_gate = row.gate;
            p_host.api.m_registry = row.registry;
            if (row.host_error) manager.set_read_hook(raise_from_queue);
            const int releases = callback.m_releases, gates = p_host.api.m_gate_checks, reads = manager.m_reads;
            const t_int32 callback_refs = callback.m_refs;
            const t_int32 manager_refs[] = {manager.m_refs, p_host.managers[1].m_refs};
            const track_counts tracks(p_host);

            const int runs = run(p_host, row, r);

            p_host.restore_defaults();
            r.expect(callback.m_refs == callback_refs && callback.m_releases == releases + runs,
                     "the callback was released %d times in %d runs", callback.m_releases - releases, runs);
            r.expect(p_host.api.m_gate_checks == gates + (row.services ? runs : 0), "the gate was asked %d times",
                     p_host.api.m_gate_checks - gates);
            const int queue_reads = row.reads_queue ? runs : 0;
            r.expect(manager.m_reads == reads + queue_reads, "the queue was read %d times", manager.m_reads - reads);
            p_host.quit();
            for (int i = 0; i < 2; ++i)
                r.expect(p_host.managers[i].m_refs == manager_refs[i], "playlist_manager %d's references changed by %d",
                         i + 1, static_cast<int>(p_host.managers[i].m_refs - manager_refs[i]));
            tracks.expect_back(r);
            if (row.acquisition_error == nullptr && !row.host_error) return;
            // After the error, the command still works.
            p_host.execute(0);
            r.expect(manager.m_reads == reads + queue_reads + 1, "a later execute(0) did not read the queue");
            p_host.quit();
            r.expect(manager.m_refs == manager_refs[0] && callback.m_refs == callback_refs,
                     "a later execute(0) kept references");
        });
    }
}
