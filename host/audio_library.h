#pragma once

// The user's own music as the host's track library: the audio files below a
// folder, their fields read with TagLib. Built only where TagLib is
// (SORVALE_AUDIO_LIBRARY).

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/track_library.h"

namespace host {

// One line on a terminal that says how far a long task has got, rewritten in
// place at most once an interval. On anything but a terminal it writes nothing,
// so a log holds only what comes after it.
class progress_line {
public:
    // Live when p_out is a terminal.
    explicit progress_line(std::FILE* p_out);
    progress_line(std::FILE* p_out, bool p_live, std::chrono::steady_clock::duration p_interval);
    progress_line(const progress_line&) = delete;
    progress_line& operator=(const progress_line&) = delete;
    ~progress_line() { finish(); }

    // Whether show would write now; cheap enough to ask once a file.
    bool due() const;
    void show(const std::string& p_text);
    // Blanks the line and leaves the cursor at its start, for what follows.
    void finish();

private:
    std::FILE* m_out;
    bool m_live;
    std::chrono::steady_clock::duration m_interval;
    std::chrono::steady_clock::time_point m_last;
    std::size_t m_width = 0;  // the longest text shown since the line was blank
};

// What TagLib makes of one file. A file is audio when TagLib reads an audio
// stream in it (at least one channel), whatever its name. A file that is not
// is damaged when its name says it is audio (an extension TagLib reads),
// and otherwise simply not audio: a cover picture, a playlist, notes.
enum class audio_kind { track, damaged, not_audio };

struct audio_file {
    audio_kind kind = audio_kind::not_audio;
    // A track's fields: every TagLib property with all its values, in order.
    track_info info;
};

audio_file read_audio_file(const std::filesystem::path& p_file);

struct audio_folder {
    std::unique_ptr<track_library> tracks;
    // Below the folder: the damaged files in path order, then the folders
    // that could not be listed, each with a "/" after it.
    std::vector<std::string> unreadable;
    std::size_t not_audio = 0;  // files, FIFOs, devices, broken links
};

// Reads every regular file below p_folder, subfolders and links to folders
// included (each folder once), ordered by path: folder by folder, names
// compared byte by byte. Nothing in the folder is fatal.
audio_folder read_audio_folder(const std::filesystem::path& p_folder, progress_line& p_progress);

// One line: the folder, how many tracks and other files, and the name of
// every file that could not be read.
std::string summary(const std::filesystem::path& p_folder, const audio_folder& p_read);

}  // namespace host
