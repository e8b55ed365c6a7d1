#pragma once

#include <memory>
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
// ", ", a missing text as "?", an unreadable track as its path.
std::string describe(const track& p_track);

}  // namespace host
