// The user's own music: audio files this test writes itself (a FLAC stream
// header), tagged through TagLib, read back as tracks; then the program
// reading a folder of them.

#include <fileref.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tpropertymap.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "host/audio_library.h"

namespace fs = std::filesystem;

namespace {

using fields = std::vector<std::pair<std::string, std::vector<std::string>>>;

void put(std::string& p_bytes, unsigned long long p_value, int p_count, bool p_big_endian) {
    for (int i = 0; i < p_count; ++i) p_bytes += static_cast<char>(p_value >> (8 * (p_big_endian ? p_count - 1 - i : i)) & 0xFF);
}

// "fLaC" and one STREAMINFO block: 44.1 kHz, 2 channels, 16 bits, no samples.
std::string flac() {
    std::string bytes = "fLaC";
    put(bytes, 0x80, 1, true);  // the last metadata block, type 0
    put(bytes, 34, 3, true);
    put(bytes, 4096, 2, true);  // block sizes
    put(bytes, 4096, 2, true);
    put(bytes, 0, 6, true);  // frame sizes unknown
    put(bytes, 44100ULL << 44 | 1ULL << 41 | 15ULL << 36, 8, true);
    return bytes + std::string(16, '\0');  // no MD5
}

void write(const fs::path& p_file, const std::string& p_bytes, const fields& p_tags = {}) {
    fs::create_directories(p_file.parent_path());
    std::ofstream(p_file, std::ios::binary) << p_bytes;
    if (p_tags.empty()) return;
    TagLib::FileRef file(p_file.c_str());
    ASSERT_FALSE(file.isNull()) << p_file;
    TagLib::PropertyMap properties;
    for (const auto& [name, values] : p_tags) {
        for (const auto& value : values) properties[name].append(TagLib::String(value, TagLib::String::UTF8));
    }
    file.file()->setProperties(properties);
    ASSERT_TRUE(file.save()) << p_file;
}

std::string text_of(const fs::path& p_file) {
    std::ifstream in(p_file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What was written to p_file, which is then closed.
std::string drained(std::FILE* p_file) {
    std::rewind(p_file);
    std::string text;
    for (int c; (c = std::fgetc(p_file)) != EOF;) text += static_cast<char>(c);
    std::fclose(p_file);
    return text;
}

class AudioFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sorvale-audio-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

struct file_case {
    const char* name;
    const char* file;
    std::string bytes;
    fields tags;
    host::audio_kind kind;
};

class AudioFile : public AudioFolder, public ::testing::WithParamInterface<file_case> {};

const fields two_artists{{"ARTIST", {"Tove Rask", "Ennio Pallast"}}, {"TITLE", {"Thin Ice"}}};

}  // namespace

TEST_P(AudioFile, KeepsEveryValueOfEveryFieldAndTellsDamageFromOtherFiles) {
    const file_case& c = GetParam();
    write(folder / c.file, c.bytes, c.tags);
    const host::audio_file read = host::read_audio_file(folder / c.file);
    EXPECT_EQ(read.kind, c.kind);
    std::vector<std::string> got, expected;
    for (const auto& [name, values] : c.tags) {
        const t_size field = read.info.meta_find_field(name.c_str(), pfc::infinite_size);
        for (t_size i = 0; i < read.info.meta_value_count(field); ++i) got.push_back(name + "=" + read.info.meta_value_at(field, i));
        for (const auto& value : values) expected.push_back(name + "=" + value);
    }
    EXPECT_EQ(got, expected);
    if (c.tags.empty()) {
        EXPECT_EQ(read.info.meta_find_field("TITLE", pfc::infinite_size), file_info::field_not_found);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AudioFile,
    ::testing::Values(
        file_case{"several_values_of_one_field", "two.flac", flac(), two_artists, host::audio_kind::track},
        file_case{"non_ascii_text", "Ørnefjeld.flac", flac(),
                  {{"ARTIST", {"潮見ユウリ"}}, {"TITLE", {"Kølig morgen"}}, {"ALBUM", {"Окно на север"}}}, host::audio_kind::track},
        file_case{"no_tags", "plain.flac", flac(), {}, host::audio_kind::track},
        file_case{"audio_under_another_name", "song.dat", flac(), {{"TITLE", {"Found by its content"}}}, host::audio_kind::track},
        file_case{"cut_inside_its_header", "cut.flac", flac().substr(0, 20), {}, host::audio_kind::damaged},
        file_case{"noise_named_as_audio", "noise.MP3", std::string(300, 'x'), {}, host::audio_kind::damaged},
        file_case{"empty_named_as_audio", "empty.wav", "", {}, host::audio_kind::damaged},
        file_case{"text_file", "notes.txt", "liner notes\n", {}, host::audio_kind::not_audio},
        file_case{"noise_without_extension", "README", std::string(300, 'x'), {}, host::audio_kind::not_audio}),
    [](const auto& p_case) { return std::string(p_case.param.name); });

// By path, folder by folder, bytes compared unsigned; a FIFO is never opened,
// a link back up the tree is not followed, another link to a folder is.
TEST_F(AudioFolder, ReadsInPathOrderAndNamesWhatItCouldNotRead) {
    for (const char* name : {"b.flac", "a/z.flac", "a b/y.flac", "ä.flac"}) write(folder / name, flac());
    write(folder / "a/broken.flac", flac().substr(0, 40));
    write(folder / "cover.jpg", "\xFF\xD8\xFF\xE0 not much of a picture");
    ASSERT_EQ(mkfifo((folder / "pipe.flac").c_str(), 0600), 0);
    fs::create_directory_symlink(".", folder / "a/loop");
    fs::create_directory_symlink("a b", folder / "again");

    std::FILE* shown = std::tmpfile();
    host::audio_folder read;
    {
        host::progress_line progress(shown, true, std::chrono::seconds(0));
        read = host::read_audio_folder(folder, progress);
    }
    std::vector<std::string> paths;
    for (t_size i = 0; i < read.tracks->size(); ++i) paths.push_back(fs::path(read.tracks->at(i).path()).lexically_relative(folder).string());
    EXPECT_EQ(paths, (std::vector<std::string>{"a/z.flac", "a b/y.flac", "again/y.flac", "b.flac", "ä.flac"}));
    EXPECT_EQ(read.unreadable, std::vector<std::string>{"a/broken.flac"});
    EXPECT_EQ(read.not_audio, 2u);
    EXPECT_EQ(host::summary(folder, read), "library " + folder.string() + ": 5 tracks, 2 other files, 1 unreadable: 'a/broken.flac'");

    const std::string progress = drained(shown);
    EXPECT_NE(progress.find("\rreading the library: 4 of 7 files"), std::string::npos) << progress;
    EXPECT_TRUE(progress.ends_with(std::string(33, ' ') + "\r")) << "blank at the end: " << progress;
}

TEST(ProgressLine, RewritesItsLineInPlaceOnATerminalOnly) {
    for (const bool live : {true, false}) {
        std::FILE* out = std::tmpfile();
        {
            host::progress_line line(out, live, std::chrono::seconds(0));
            line.show("listing 10");
            line.show("read 9");
        }
        EXPECT_EQ(drained(out), live ? "\rlisting 10\rread 9    \r          \r" : "");
    }
}

namespace {

struct ran {
    int status = -1;
    std::string out;
    std::string err;
};

// sorvale-host with p_args (quoted for the shell by the caller) and no
// configuration, standard input empty.
ran run_host(const fs::path& p_folder, const std::string& p_args) {
    const fs::path out = p_folder / "out.txt", err = p_folder / "err.txt";
    const std::string command = std::string("'") + SORVALE_HOST + "' --no-config " + p_args + " '" + SORVALE_COMPONENT + "' >'" +
                                out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text_of(out), text_of(err)};
}

}  // namespace

TEST_F(AudioFolder, TheHostQueuesTheFolderAndTheWindowShowsTheFirstArtist) {
    const fs::path music = folder / "music";
    write(music / "two.flac", flac(), two_artists);
    write(music / "noise.mp3", std::string(300, 'x'));
    write(music / "notes.txt", "liner notes\n");
    const ran result = run_host(folder, "--library '" + music.string() + "' --queue 1 --run 'tracks; open View/Sorvale; show; queue'");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "sorvale-host: library " + music.string() + ": 1 track, 1 other file, 1 unreadable: 'noise.mp3'\n")
        << "nothing but the summary on a file";
    for (const char* shown : {"> tracks\ntrack library (1 tracks):\n   1. Tove Rask, Ennio Pallast - Thin Ice\n",
                              "------------------------\n Tove Rask - Thin Ice\n", "playback queue, 1 entries:\n   1. Tove Rask, Ennio Pallast - Thin Ice\n"}) {
        EXPECT_NE(result.out.find(shown), std::string::npos) << shown << " in " << result.out;
    }
}

TEST_F(AudioFolder, ALibraryThatIsNoFolderIsRefusedBeforeAnythingLoads) {
    write(folder / "plain.flac", flac());
    const std::pair<std::string, std::string> refused[] = {
        {"'" + (folder / "missing").string() + "'", "cannot read library '" + (folder / "missing").string() + "': No such file or directory"},
        {"'" + (folder / "plain.flac").string() + "'", "library '" + (folder / "plain.flac").string() + "' is not a folder"},
        {"''", "--library needs a folder"},
    };
    for (const auto& [library, said] : refused) {
        const ran result = run_host(folder, "--library " + library);
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_EQ(result.out, "") << "nothing was loaded";
        EXPECT_EQ(result.err, "sorvale-host: " + said + " (see --help)\n");
    }
}
