#include "host.h"

namespace {

const GUID guid_position = {0x464D321E, 0x3471, 0x4A69, {0xBF, 0xBE, 0x57, 0xD0, 0xA4, 0x72, 0xAD, 0x1D}};
const GUID guid_size = {0xAAAF1F91, 0x0E0B, 0x4F17, {0x89, 0x75, 0x8E, 0x96, 0xA4, 0x17, 0x8B, 0xC7}};

void append_record(byte_buffer& p_out, const GUID& p_guid, t_int32 p_x, t_int32 p_y) {
    const t_uint32 length = 8;
    p_out.append(&p_guid, sizeof p_guid);
    p_out.append(&length, 4);
    p_out.append(&p_x, 4);
    p_out.append(&p_y, 4);
}

}  // namespace

host::host() noexcept
    : tracks{{'a', "Halvard Quist", nullptr, "Lanterns Over Brackwater"},
             {'b', "Søren Vindtræ", nullptr, "Kølig morgen"},
             {'c', "Tove Rask", "Ilse Marr", "Thin Ice Canticle"},
             {'d', "Orrin Feldgate", nullptr, nullptr},
             {'e', "Nadia Oskarsdóttir", nullptr, "Glass Harbour", false},
             {'f', "Mirela Dunca", nullptr, "Salt Over Tin Roofs"},
             {'x', "Xenia Lund", nullptr, "Paper Tide"},
             {'y', "Hanamura Yuki", nullptr, "夜の灯台"},
             {'z', "Zoltán Berek", nullptr, "Holdfény"}} {
    api.m_managers[0] = &managers[0];
    api.m_managers[1] = &managers[1];
    reset_queue();
}

host_track& host::track(char p_letter) {
    for (host_track& track : tracks) {
        if (track.m_letter == p_letter) return track;
    }
    return tracks[0];
}

void host::reset_queue() {
    host_track* const queue[] = {&tracks[0], &tracks[1], &tracks[2], &tracks[3], &tracks[4], &tracks[5]};
    managers[0].set_queue(queue, 6);
}

void host::restore_defaults() {
    api.m_registry = registry_state::one;
    api.m_gate = true;
    managers[0].clear_read_hook();
    component.client->services_init(false);
}

void host::execute(t_uint32 p_index) { component.menu->execute(p_index, service_ptr_t<service_base>(&callback)); }

void expect_tracks_balanced(host& p_host, check_result& p_result) {
    for (host_track& track : p_host.tracks) {
        t_int32 held = 0;
        for (host_playlist_manager& manager : p_host.managers) {
            for (t_size i = 0; i < manager.m_count; ++i) held += manager.m_queue[i].m_handle.get_ptr() == &track;
        }
        p_result.expect(track.m_refs == held, "track %c holds %d references, not %d", track.m_letter,
                        static_cast<int>(track.m_refs), static_cast<int>(held));
        p_result.expect(track.m_depth == 0 && track.m_locks == track.m_unlocks, "track %c: %d locks, %d unlocks",
                        track.m_letter, track.m_locks, track.m_unlocks);
        p_result.expect(track.m_peeks_unlocked == 0, "track %c was peeked %d times unlocked", track.m_letter,
                        track.m_peeks_unlocked);
    }
    p_result.expect(host_track::s_most_locked <= 1, "%d tracks were locked at once", host_track::s_most_locked);
}

track_counts::track_counts(host& p_host) : m_host(p_host) {
    for (int i = 0; i < 9; ++i) {
        const host_track& track = p_host.tracks[i];
        m_refs[i] = track.m_refs;
        m_locks[i] = track.m_locks;
        m_unlocks[i] = track.m_unlocks;
        m_peeks_unlocked[i] = track.m_peeks_unlocked;
    }
    host_track::s_most_locked = host_track::s_locked_now;
}

void track_counts::expect_references(check_result& p_result, const char* p_changes) const {
    for (int i = 0; i < 9; ++i) {
        const host_track& track = m_host.tracks[i];
        int expected = 0;
        for (const char* c = p_changes; c[0] != '\0' && c[1] != '\0'; ++c) {
            if (c[0] == track.m_letter && (c[1] == '+' || c[1] == '-') && c[2] != '\0')
                expected = c[1] == '+' ? c[2] - '0' : '0' - c[2];
        }
        const int change = static_cast<int>(track.m_refs - m_refs[i]);
        p_result.expect(change == expected, "track %c's references changed by %d, not %d", track.m_letter, change,
                        expected);
    }
}

void track_counts::expect_back(check_result& p_result) const {
    expect_references(p_result, "");
    for (int i = 0; i < 9; ++i) {
        const host_track& track = m_host.tracks[i];
        const int locks = track.m_locks - m_locks[i], unlocks = track.m_unlocks - m_unlocks[i];
        p_result.expect(locks == unlocks, "track %c was locked %d times and unlocked %d times", track.m_letter, locks,
                        unlocks);
        p_result.expect(track.m_peeks_unlocked == m_peeks_unlocked[i], "track %c was peeked unlocked",
                        track.m_letter);
    }
    p_result.expect(host_track::s_most_locked <= 1, "%d tracks were locked at once", host_track::s_most_locked);
}

void geometry_stream(byte_buffer& p_out, const geometry& p_geometry) {
    append_record(p_out, guid_position, p_geometry.x, p_geometry.y);
    append_record(p_out, guid_size, p_geometry.width, p_geometry.height);
}

void restore_geometry(host& p_host, const geometry& p_geometry) {
    byte_buffer bytes;
    geometry_stream(bytes, p_geometry);
    host_reader reader(bytes.data(), static_cast<t_size>(bytes.size()));
    p_host.component.client->set_config(&reader, p_host.abort);
}

bool saved_geometry(host& p_host, check_result& p_result, geometry& p_out) {
    host_writer writer;
    p_host.component.client->get_config(&writer, p_host.abort);
    const t_uint8* bytes = writer.m_bytes.data();
    if (!p_result.expect(writer.m_bytes.size() == 56, "get_config saved %u bytes, not 56",
                         static_cast<unsigned>(writer.m_bytes.size())))
        return false;
    t_uint32 lengths[2];
    memcpy(&lengths[0], bytes + 16, 4);
    memcpy(&lengths[1], bytes + 44, 4);
    if (!p_result.expect(memcmp(bytes, &guid_position, 16) == 0 && memcmp(bytes + 28, &guid_size, 16) == 0 &&
                             lengths[0] == 8 && lengths[1] == 8,
                         "get_config saved other records than position then size, 8 bytes each"))
        return false;
    memcpy(&p_out.x, bytes + 20, 8);
    memcpy(&p_out.width, bytes + 48, 8);
    return true;
}

guid_text::guid_text(const GUID& p_guid) {
    const t_uint8* d = p_guid.Data4;
    _snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", p_guid.Data1, p_guid.Data2,
              p_guid.Data3, d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]);
}
