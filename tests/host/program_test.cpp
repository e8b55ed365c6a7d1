// The program sorvale-host as a user runs it: its options, checked before
// anything is loaded, and the way out that always runs the shutdown.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "config/record_codec.h"
#include "config/window_geometry.h"
#include "host/files.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using child_process::input;
using child_process::ran;

// A folder of its own for each test: the configuration, scripts, output.
class Program : public ::testing::Test {
protected:
    void SetUp() override { folder = make_temporary_folder("sorvale-program-"); }
    void TearDown() override { remove_temporary_folder(folder); }

    // Runs sorvale-host with p_args and standard input as p_input; a run
    // that takes longer than 60 seconds is killed.
    ran run(const std::vector<std::string>& p_args, input p_input = input::none) {
        return child_process::run(SORVALE_HOST, p_args, p_input, folder);
    }

    fs::path folder;
};

struct refused_options {
    const char* name;
    std::vector<std::string> args;  // "@" is the test's folder
    input stdin_is;
    const char* said;
};

class ProgramRefuses : public Program, public ::testing::WithParamInterface<refused_options> {};

}  // namespace

TEST_P(ProgramRefuses, WithOneLineBeforeLoadingAnything) {
    std::ofstream(folder / "plain-file") << "x";
    std::vector<std::string> args{"--config-dir", host::files::text_of(folder / "config")};
    for (std::string arg : GetParam().args) {
        if (arg.starts_with("@")) arg = host::files::text_of(folder) + arg.substr(1);
        args.push_back(arg);
    }
    const ran result = run(args, GetParam().stdin_is);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_EQ(result.out, "") << "nothing was loaded";
    EXPECT_TRUE(result.err.starts_with("sorvale-host: ")) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;
    EXPECT_NE(result.err.find(GetParam().said), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(folder / "config")) << "nothing was saved";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgramRefuses,
    ::testing::Values(
        refused_options{"queue_with_space_and_sign", {"--queue", " -1", SORVALE_COMPONENT}, input::none, "--queue needs a count, not ' -1'"},
        refused_options{"queue_past_the_largest_count", {"--queue", "123456789012345678901234567890", SORVALE_COMPONENT}, input::none, "needs a count"},
        refused_options{"script_missing", {"--script", "@/missing", SORVALE_COMPONENT}, input::none, "/missing': No such file or directory"},
        refused_options{"script_a_folder", {"--script", "@", SORVALE_COMPONENT}, input::none, "Is a directory"},
        refused_options{"standard_input_a_folder", {"--script", "-", SORVALE_COMPONENT}, input::folder, "standard input: Is a directory"},
        refused_options{"standard_input_closed", {"--script", "-", SORVALE_COMPONENT}, input::closed, "standard input: Bad file descriptor"},
        refused_options{"empty_component_path", {SORVALE_COMPONENT, ""}, input::none, "a component path is empty"},
        refused_options{"component_twice", {SORVALE_COMPONENT, SORVALE_COMPONENT}, input::none, "given twice"},
        refused_options{"component_missing", {SORVALE_COMPONENT, "@/foo_other.so"}, input::none, "No such file or directory"},
        refused_options{"config_folder_a_file", {"--config-dir", "@/plain-file", SORVALE_COMPONENT}, input::none, "plain-file' is not a folder"},
        refused_options{"config_folder_below_a_file", {"--config-dir", "@/plain-file/sub", SORVALE_COMPONENT}, input::none, "plain-file' is not a folder"}),
    [](const auto& p_case) { return std::string(p_case.param.name); });

TEST_F(Program, SaysWhatPlayAndEnqueueDidAndListsWhatTheSessionAccepts) {
    const ran session = run({"--no-config", "--queue", "2", "--run", "play; enqueue 5 1", SORVALE_COMPONENT});
    EXPECT_EQ(session.status, 0) << session.err;
    for (const char* line : {"playback queue (2 of the 24 tracks in the library):\n", "> play\nnow playing track 1: Halvard Quist - ",
                             "> enqueue 5 1\nqueued track 5: ", "\nqueued track 1: Halvard Quist - "}) {
        EXPECT_NE(session.out.find(line), std::string::npos) << line << " in " << session.out;
    }
    const ran help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* text : {"--script FILE", "enqueue N...", "click TEXT|NAME", "Delete, Clear, Close", "key names: Delete Escape Enter"}) {
        EXPECT_NE(help.out.find(text), std::string::npos) << text << " in " << help.out;
    }
}

TEST_F(Program, AComponentThatFailsToLoadStillShutsDownTheOnesLoaded) {
    const fs::path not_a_library = folder / "foo_text.so";
    std::ofstream(not_a_library) << "not a library\n";
    const ran result = run({"--config-dir", folder.string(), SORVALE_COMPONENT, not_a_library.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot load component " + not_a_library.string()), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("configuration saved for 1 of 1 components"), std::string::npos) << result.out;
    EXPECT_EQ(fs::file_size(folder / SORVALE_COMPONENT_NAME ".cfg"), component_config_size);
}

// A path that is not ASCII passes whole from the command line to the files
// the host makes (on Windows: UTF-16 arguments, UTF-16 file names).
TEST_F(Program, KeepsItsConfigurationInAFolderWithANonAsciiName) {
    const fs::path config = folder / host::files::path_of("\xC3\x85lborg \xE8\xA8\xAD\xE5\xAE\x9A");
    const ran result = run({"--config-dir", host::files::text_of(config), "--queue", "0", SORVALE_COMPONENT});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("configuration saved for 1 of 1 components in " + host::files::text_of(config) + "\n"), std::string::npos)
        << result.out;
    EXPECT_EQ(fs::file_size(config / SORVALE_COMPONENT_NAME ".cfg"), component_config_size);
}

// The host knows a record's GUID and length, and nothing of what its payload means.
TEST_F(Program, ShowsEachStoredRecordAsItsGuidAndLength) {
    std::vector<unsigned char> stored(component_config_size + 10, 0);
    cfg_codec::put_header(stored.data(), guid_cfgMainWindowPosition, cfgCoordinates::payload_size);
    cfg_codec::put_header(stored.data() + cfg_codec::record_size(cfgCoordinates::payload_size), guid_cfgMainWindowSize,
                          cfgCoordinates::payload_size);
    std::ofstream(folder / SORVALE_COMPONENT_NAME ".cfg", std::ios::binary)
        .write(reinterpret_cast<const char*>(stored.data()), static_cast<std::streamsize>(stored.size()));
    const ran result = run({"--config-dir", folder.string(), "--queue", "0", SORVALE_COMPONENT});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string shown = "which ends inside a record:\n"
                              "    {464D321E-3471-4A69-BFBE-57D0A472AD1D} 8 bytes\n"
                              "    {AAAF1F91-0E0B-4F17-8975-8E96A4178BC7} 8 bytes\n"
                              "    (10 bytes of a record cut short)\n";
    EXPECT_NE(result.out.find(shown), std::string::npos) << result.out;
}
