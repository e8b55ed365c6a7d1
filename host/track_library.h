#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/track.h"
#include "integration/playback_queue_item.h"

namespace host {

// The tracks the host knows, as one playlist (playlist 0). It owns them and
// must outlive every reference taken on them.
class track_library {
public:
    track_library() = default;
    track_library(const track_library&) = delete;
    track_library& operator=(const track_library&) = delete;
    ~track_library() = default;

    // The built-in set: two dozen invented tracks, among them non-ASCII texts,
    // a track with two ARTIST values, one without TITLE and one whose
    // information cannot be read.
    static std::unique_ptr<track_library> builtin();

    track& add(std::unique_ptr<track> p_track);
    // Its tracks replaced by p_other's. No reference to its own may be held
    // then (none is before the queue is first filled).
    void replace_with(track_library&& p_other);

    t_size size() const { return static_cast<t_size>(m_tracks.size()); }
    track& at(t_size p_index) const { return *m_tracks.at(p_index); }

    // A queue entry for track p_index: playlist 0, item p_index.
    t_playback_queue_item queue_item(t_size p_index) const;

    // Over every track: references still held, locks still taken, misuses seen.
    t_int32 live_references() const;
    t_int32 locks_held() const;
    unsigned misuses() const;

private:
    std::vector<std::unique_ptr<track>> m_tracks;
};

// "ARTIST - TITLE" as the host shows a track: several artists joined by
// ", ", a missing text as "?", an unreadable track as its path. The texts come
// from the user's files, so control bytes are written as \xNN: a line stays
// one line and nothing reaches the terminal as a command.
std::string describe(const track& p_track);

// The text with every control byte but the tab written as \xNN.
std::string visible(std::string_view p_text);

// "track library (N tracks):" and one numbered line per track.
std::string listing(const track_library& p_library);

}  // namespace host
