#include "host/audio_library.h"

#include <fileref.h>
#include <sys/stat.h>
#include <tdebuglistener.h>
#include <tpropertymap.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

namespace host {

namespace fs = std::filesystem;

namespace {

// TagLib's own complaints about a file would break the one summary line; what
// it could not read is said there instead.
class quiet_taglib : private TagLib::DebugListener {
public:
    quiet_taglib() { TagLib::setDebugListener(this); }
    quiet_taglib(const quiet_taglib&) = delete;
    quiet_taglib& operator=(const quiet_taglib&) = delete;
    ~quiet_taglib() override { TagLib::setDebugListener(nullptr); }

private:
    void printMessage(const TagLib::String&) override {}
};

// The extensions TagLib takes for audio, without their dot, in lower case.
bool named_as_audio(const fs::path& p_file) {
    static const std::set<std::string> known = [] {
        std::set<std::string> names;
        for (const TagLib::String& name : TagLib::FileRef::defaultFileExtensions()) names.insert(name.to8Bit(true));
        return names;
    }();
    std::string extension = p_file.extension().string();
    if (extension.size() < 2) return false;
    extension.erase(0, 1);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return known.contains(extension);
}

std::string counted(std::size_t p_count, const char* p_one, const char* p_many) {
    return std::to_string(p_count) + " " + (p_count == 1 ? p_one : p_many);
}

std::string below(const fs::path& p_folder, const fs::path& p_path) { return p_path.lexically_relative(p_folder).generic_string(); }

struct folder_contents {
    std::vector<fs::path> files;
    std::vector<std::string> unlisted;  // folders, as "name/"
    std::size_t others = 0;
};

// Every regular file below p_root. A link to a folder is followed unless it
// leads back to a folder it lies in, which would never end; a folder reached
// by two ways is listed under both names, so the names never depend on which
// way came first.
folder_contents list_files(const fs::path& p_root, progress_line& p_progress) {
    using file_id = std::pair<dev_t, ino_t>;
    struct folder_to_list {
        fs::path path;
        std::vector<file_id> outer;  // the folders it lies in
    };
    folder_contents found;
    std::vector<folder_to_list> pending{{p_root, {}}};
    while (!pending.empty()) {
        folder_to_list folder = std::move(pending.back());
        pending.pop_back();
        struct stat status {};
        if (::stat(folder.path.c_str(), &status) != 0) continue;  // gone since it was listed
        const file_id id{status.st_dev, status.st_ino};
        if (std::find(folder.outer.begin(), folder.outer.end(), id) != folder.outer.end()) continue;
        folder.outer.push_back(id);
        std::error_code error;
        for (fs::directory_iterator entry(folder.path, error), end; !error && entry != end; entry.increment(error)) {
            std::error_code ignored;  // a type that cannot be known is none of these
            if (entry->is_directory(ignored)) {
                pending.push_back({entry->path(), folder.outer});
            } else if (entry->is_regular_file(ignored)) {
                found.files.push_back(entry->path());
            } else {
                ++found.others;
            }
            if (p_progress.due()) p_progress.show("listing the library: " + counted(found.files.size(), "file", "files"));
        }
        if (error) found.unlisted.push_back(below(p_root, folder.path) + "/");
    }
    return found;
}

}  // namespace

progress_line::progress_line(std::FILE* p_out) : progress_line(p_out, ::isatty(::fileno(p_out)) == 1, std::chrono::milliseconds(200)) {}

progress_line::progress_line(std::FILE* p_out, bool p_live, std::chrono::steady_clock::duration p_interval)
    : m_out(p_out), m_live(p_live), m_interval(p_interval), m_last(std::chrono::steady_clock::now()) {}

bool progress_line::due() const { return m_live && std::chrono::steady_clock::now() - m_last >= m_interval; }

void progress_line::show(const std::string& p_text) {
    if (!m_live) return;
    // Blanks what is left of a longer text shown before.
    const std::size_t pad = m_width > p_text.size() ? m_width - p_text.size() : 0;
    std::fprintf(m_out, "\r%s%s", p_text.c_str(), std::string(pad, ' ').c_str());
    std::fflush(m_out);
    m_width = std::max(m_width, p_text.size());
    m_last = std::chrono::steady_clock::now();
}

void progress_line::finish() {
    if (m_width == 0) return;
    std::fprintf(m_out, "\r%s\r", std::string(m_width, ' ').c_str());
    std::fflush(m_out);
    m_width = 0;
}

audio_file read_audio_file(const fs::path& p_file) {
    audio_file result;
    const TagLib::FileRef file(p_file.c_str(), true, TagLib::AudioProperties::Fast);
    const TagLib::AudioProperties* audio = file.isNull() ? nullptr : file.audioProperties();
    // TagLib takes noise named .mp3 or .wav for a file without tags; it is
    // audio only with a stream of at least one channel.
    if (audio == nullptr || audio->channels() <= 0) {
        result.kind = named_as_audio(p_file) ? audio_kind::damaged : audio_kind::not_audio;
        return result;
    }
    result.kind = audio_kind::track;
    const TagLib::PropertyMap fields = file.file()->properties();
    for (const auto& [name, values] : fields) {
        for (const TagLib::String& value : values) result.info.add_value(name.to8Bit(true), value.to8Bit(true));
    }
    return result;
}

audio_folder read_audio_folder(const fs::path& p_folder, progress_line& p_progress) {
    const quiet_taglib quiet;
    folder_contents contents = list_files(p_folder, p_progress);
    std::sort(contents.files.begin(), contents.files.end());

    audio_folder read;
    read.tracks = std::make_unique<track_library>();
    read.not_audio = contents.others;
    for (std::size_t i = 0; i < contents.files.size(); ++i) {
        if (p_progress.due()) {
            p_progress.show("reading the library: " + std::to_string(i) + " of " + counted(contents.files.size(), "file", "files"));
        }
        audio_file file = read_audio_file(contents.files[i]);
        switch (file.kind) {
            case audio_kind::track:
                read.tracks->add(std::make_unique<track>(contents.files[i].string(), std::move(file.info)));
                break;
            case audio_kind::damaged:
                read.unreadable.push_back(below(p_folder, contents.files[i]));
                break;
            case audio_kind::not_audio:
                ++read.not_audio;
                break;
        }
    }
    std::sort(contents.unlisted.begin(), contents.unlisted.end());
    read.unreadable.insert(read.unreadable.end(), contents.unlisted.begin(), contents.unlisted.end());
    return read;
}

std::string summary(const fs::path& p_folder, const audio_folder& p_read) {
    std::string line = "library " + visible(p_folder.string()) + ": " + counted(p_read.tracks->size(), "track", "tracks") + ", " +
                       counted(p_read.not_audio, "other file", "other files");
    if (p_read.unreadable.empty()) return line;
    line += ", " + std::to_string(p_read.unreadable.size()) + " unreadable:";
    for (std::size_t i = 0; i < p_read.unreadable.size(); ++i) line += (i == 0 ? " '" : ", '") + visible(p_read.unreadable[i]) + "'";
    return line;
}

}  // namespace host
