// The configuration as the host sees it: the stream through the client, and
// the host's configuration file across loads of the library.

#include <gtest/gtest.h>

#include <stdlib.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "component_fixture.h"
#include "host/files.h"
#include "tests/config/test_streams.h"
#include "tests/allocation_failure.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using bytes = std::vector<unsigned char>;
using outcome = host::config_store::outcome;

// Position (100, 50), then size (400, 300).
const bytes example = {
    0x1E, 0x32, 0x4D, 0x46, 0x71, 0x34, 0x69, 0x4A, 0xBF, 0xBE, 0x57, 0xD0, 0xA4, 0x72, 0xAD, 0x1D,
    0x08, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x32, 0x00, 0x00, 0x00,
    0x91, 0x1F, 0xAF, 0xAA, 0x0B, 0x0E, 0x17, 0x4F, 0x89, 0x75, 0x8E, 0x96, 0xA4, 0x17, 0x8B, 0xC7,
    0x08, 0x00, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x00,
};

// The same two records with every value 0: what a fresh component writes.
const bytes fresh = [] {
    bytes out = example;
    for (long at : {20L, 48L}) std::fill(out.begin() + at, out.begin() + at + 8, 0);
    return out;
}();

bytes cut(long p_length) { return bytes(example.begin(), example.begin() + p_length); }

bytes get_config(foobar2000_client& p_client, std::size_t* p_calls = nullptr) {
    test_streams::recording_writer writer;
    test_streams::no_abort abort;
    p_client.get_config(&writer, abort);
    if (p_calls != nullptr) *p_calls = writer.calls.size();
    return writer.data();
}

void set_config(foobar2000_client& p_client, const bytes& p_data) {
    test_streams::memory_reader reader(p_data);
    test_streams::no_abort abort;
    p_client.set_config(&reader, abort);
}

bytes file_bytes(const fs::path& p_file) {
    std::ifstream in(p_file, std::ios::binary);
    return bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& p_file, const bytes& p_data) {
    std::ofstream(p_file, std::ios::binary).write(reinterpret_cast<const char*>(p_data.data()), static_cast<std::streamsize>(p_data.size()));
}

}  // namespace

TEST_F(LoadedComponent, ConfigurationStreamIsFiftySixBytesInEitherOrder) {
    std::size_t calls = 0;
    EXPECT_EQ(get_config(component->client(), &calls), fresh);
    EXPECT_EQ(calls, 6u) << "GUID, length and payload, per record";
    bytes size_first(example.begin() + 28, example.end());
    size_first.insert(size_first.end(), example.begin(), example.begin() + 28);
    for (const bytes& input : {example, size_first}) {
        set_config(component->client(), fresh);
        set_config(component->client(), input);
        EXPECT_EQ(get_config(component->client()), example) << "written back position first";
    }
    EXPECT_THROW(set_config(component->client(), cut(46)), foobar2000_io::exception_io_data);
}

namespace {

// A host with a configuration folder of its own, empty at the start.
class ConfigStore : public ::testing::Test {
protected:
    void SetUp() override {
        folder = make_temporary_folder("sorvale-config-");
        file = folder / SORVALE_COMPONENT_NAME ".cfg";
    }
    void TearDown() override { fs::remove_all(folder); }

    // One run of the host: load, let p_during act, shut down; answers the messages.
    template <typename F>
    std::vector<std::string> run(F&& p_during) {
        std::vector<std::string> messages;
        {
            host::application app([&](const std::string& p_message) { messages.push_back(p_message); });
            app.use_config_folder(folder);
            host::component_library& component = app.load_component(SORVALE_COMPONENT);
            p_during(app, component);
            app.shutdown();
            LoadedComponent::expect_host_balanced(app);
        }
        EXPECT_FALSE(host::dynamic_library::is_loaded(SORVALE_COMPONENT)) << "the library stayed loaded";
        return messages;
    }
    // A run that only checks how the file was taken and what the component then holds.
    std::vector<std::string> run_expecting(outcome p_kind, const bytes& p_config) {
        return run([&](host::application& app, host::component_library& c) {
            EXPECT_EQ(app.restore_result_of(c)->kind, p_kind);
            EXPECT_EQ(get_config(c.client()), p_config);
        });
    }

    fs::path folder;
    fs::path file;
};

// Files the component refuses: each is moved aside whole, named in one
// message, and the component runs on its defaults, even where records before
// the damage had been applied.
class DamagedConfigFile : public ConfigStore, public ::testing::WithParamInterface<std::pair<const char*, bytes>> {};

// An unclaimed record of 1,000 bytes of which 10 are there.
bytes unclaimed_cut_short() {
    bytes out = example;
    out.insert(out.end(), {0xEE, 0xEE, 0xEE, 0xEE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 0x03, 0, 0, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55});
    return out;
}

}  // namespace

TEST_F(ConfigStore, ConfigurationSurvivesTwoLoadsOfTheLibraryAndIsSavedAtomically) {
    auto first = run([&](host::application& app, host::component_library& c) {
        EXPECT_EQ(app.restore_result_of(c)->kind, outcome::none_saved);
        for (const bytes* config : {&example, &fresh, &example}) {
            set_config(c.client(), *config);
            EXPECT_EQ(app.save_configuration(), 1u);  // on request, at once
            EXPECT_EQ(file_bytes(file), *config);
        }
    });
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(file_bytes(file), example) << "exactly the bytes get_config wrote";
    std::vector<fs::path> listing(fs::directory_iterator(folder), fs::directory_iterator{});
    EXPECT_EQ(listing, std::vector<fs::path>{file}) << "no temporary file left";

    auto second = run([](host::application& app, host::component_library& c) {
        EXPECT_EQ(app.restore_result_of(c)->data, example);
        EXPECT_EQ(app.restore_result_of(c)->kind, outcome::restored);
        EXPECT_EQ(get_config(c.client()), example);
    });
    EXPECT_TRUE(second.empty());
}

TEST_P(DamagedConfigFile, IsMovedAsideAndTheComponentRunsOnItsDefaults) {
    const bytes& damaged = GetParam().second;
    write_file(file, damaged);
    auto messages = run_expecting(outcome::rejected, fresh);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].find('\n'), std::string::npos);
    EXPECT_NE(messages[0].find(host::files::text_of(file) + ".bad"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("Unsupported format or corrupted file"), std::string::npos) << messages[0];
    EXPECT_EQ(file_bytes(folder / SORVALE_COMPONENT_NAME ".cfg.bad"), damaged) << "nothing of the damaged file is lost";
    EXPECT_EQ(file_bytes(file), fresh) << "the next save holds the defaults";
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedConfigFile,
                         ::testing::Values(std::pair("guid_without_length", cut(16)), std::pair("inside_second_length", cut(46)),
                                           std::pair("inside_second_payload", cut(50)), std::pair("inside_first_payload", cut(24)),
                                           std::pair("unclaimed_record_cut_short", unclaimed_cut_short())),
                         [](const auto& p_case) { return std::string(p_case.param.first); });

TEST_F(ConfigStore, AnEarlierBadFileIsNeverOverwritten) {
    write_file(folder / SORVALE_COMPONENT_NAME ".cfg.bad", {1, 2, 3});
    write_file(file, cut(50));
    EXPECT_EQ(run_expecting(outcome::rejected, fresh).size(), 1u);
    EXPECT_EQ(file_bytes(folder / SORVALE_COMPONENT_NAME ".cfg.bad"), (bytes{1, 2, 3}));
    EXPECT_EQ(file_bytes(folder / SORVALE_COMPONENT_NAME ".cfg.2.bad"), cut(50));
}

TEST_F(ConfigStore, AFileThatCannotBeReadIsKeptAndNeverOverwritten) {
    fs::create_directory(file);  // something is there, but it is no file
    auto messages = run_expecting(outcome::unreadable, fresh);
    ASSERT_EQ(messages.size(), 2u) << "one for the restore, one for the save it refuses";
    EXPECT_NE(messages[0].find(host::files::text_of(file)), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("not saved"), std::string::npos) << messages[1];
    EXPECT_TRUE(fs::is_directory(file));
}

TEST_F(ConfigStore, AFolderThatCannotBeWrittenIsOneMessageAndNoCrash) {
    fs::remove(folder);
    write_file(folder, {9});  // a file where the folder should be
    auto messages = run([](host::application&, host::component_library&) {});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("cannot save configuration to"), std::string::npos) << messages[0];
    EXPECT_EQ(file_bytes(folder), bytes{9});
    fs::remove(folder);
    fs::create_directory(folder);
}

TEST_F(ConfigStore, AComponentFailingToSaveLeavesTheOldFile) {
    write_file(file, example);
    auto messages = run([](host::application& app, host::component_library&) {
        const allocation_failure out_of_memory(1);
        EXPECT_EQ(app.save_configuration(), 0u);
    });
    ASSERT_GE(messages.size(), 1u);
    EXPECT_NE(messages[0].find("bad allocation"), std::string::npos) << messages[0];
    EXPECT_EQ(file_bytes(file), example) << "the shutdown save wrote the restored values again";
}

// A file that ends inside a record's GUID: the component takes the records
// before it and says nothing, so the host says so, and keeps the file as it
// found it before the save writes over it.
class CutConfigFile : public ConfigStore, public ::testing::WithParamInterface<std::pair<const char*, bytes>> {};

TEST_P(CutConfigFile, IsTakenUpToItsLastWholeRecordAndKeptAsFound) {
    const bytes& found = GetParam().second;
    const bytes& taken = found.size() > example.size() ? example : fresh;
    write_file(file, found);
    auto messages = run([&](host::application& app, host::component_library& c) {
        EXPECT_EQ(app.restore_result_of(c)->kind, outcome::cut_short);
        EXPECT_EQ(app.restore_result_of(c)->taken, found.size() > example.size() ? example.size() : 0u);
        EXPECT_EQ(get_config(c.client()), taken);
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("ends inside a record"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find(host::files::text_of(file) + ".bad"), std::string::npos) << messages[0];
    EXPECT_EQ(file_bytes(folder / SORVALE_COMPONENT_NAME ".cfg.bad"), found);
    EXPECT_EQ(file_bytes(file), taken) << "the save writes whole records";
}

INSTANTIATE_TEST_SUITE_P(Table, CutConfigFile,
                         ::testing::Values(std::pair("inside_a_guid_after_two_records", [] {
                                               bytes out = example;
                                               out.insert(out.end(), example.begin(), example.begin() + 10);
                                               return out;
                                           }()),
                                           std::pair("inside_the_first_guid", cut(10))),
                         [](const auto& p_case) { return std::string(p_case.param.first); });

namespace {

// Something at the file's name that is no configuration: it is never opened
// as one (no wait on a FIFO, no read of a device or of gigabytes), said in
// one line, left as it is and never overwritten.
struct special_file {
    const char* name;
    void (*make)(const fs::path& p_file);
    const char* said;
};

class SpecialConfigFile : public ConfigStore, public ::testing::WithParamInterface<special_file> {};

}  // namespace

TEST_P(SpecialConfigFile, IsNamedInOneLineAndLeftAsItIs) {
    GetParam().make(file);
    const auto before = fs::symlink_status(file).type();
    auto messages = run_expecting(outcome::unreadable, fresh);
    ASSERT_EQ(messages.size(), 2u) << "one for the restore, one for the save it refuses";
    EXPECT_NE(messages[0].find(host::files::text_of(file) + "' " + GetParam().said), std::string::npos) << messages[0];
    EXPECT_EQ(fs::symlink_status(file).type(), before);
}

const special_file special_files[] = {
#if !defined(_WIN32)  // Windows has neither in a folder: tests/host/files_windows_test.cpp has its pipes and devices
    {"fifo", [](const fs::path& f) { ASSERT_EQ(mkfifo(f.c_str(), 0600), 0); }, "is a FIFO"},
    {"link_to_dev_zero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }, "is a character device"},
#endif
    {"sparse_4_gib", [](const fs::path& f) { write_file(f, {}); fs::resize_file(f, std::uintmax_t{4} << 30); }, "holds 4294967296 bytes"},
    {"one_byte_too_many", [](const fs::path& f) { write_file(f, bytes(host::config_store::largest_file + 1, 0)); },
     "holds 1048577 bytes, more than the 1048576"},
};

INSTANTIATE_TEST_SUITE_P(Table, SpecialConfigFile, ::testing::ValuesIn(special_files),
                         [](const auto& p_case) { return std::string(p_case.param.name); });

#if defined(_WIN32)
TEST_F(ConfigStore, AFileThatIsALinkIsSavedWhereTheLinkLeads) {
    GTEST_SKIP() << "no symbolic link can be made here: the C++ library for mingw makes none, nor does Wine "
                    "(CreateSymbolicLinkW does nothing); tests/hosts_agree.sh has the Windows host save through "
                    "links made outside Wine";
}
#else
// The file may be a link (here to a link) into another folder: the save
// replaces the file at the end of the chain, atomically in its own folder,
// with its permissions, and every link stays.
TEST_F(ConfigStore, AFileThatIsALinkIsSavedWhereTheLinkLeads) {
    fs::create_directories(folder / "links");
    fs::create_directories(folder / "real");
    const fs::path target = folder / "real" / "kept.cfg";
    write_file(target, example);
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, mode);
    fs::create_symlink("../real/kept.cfg", folder / "links" / "middle");
    fs::create_symlink(folder / "links" / "middle", file);
    auto messages = run([](host::application& app, host::component_library& c) {
        EXPECT_EQ(app.restore_result_of(c)->kind, outcome::restored);
        EXPECT_EQ(get_config(c.client()), example);
        set_config(c.client(), fresh);
    });
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(fs::read_symlink(file), folder / "links" / "middle");
    EXPECT_EQ(fs::read_symlink(folder / "links" / "middle"), "../real/kept.cfg");
    EXPECT_EQ(file_bytes(target), fresh);
    EXPECT_EQ(fs::status(target).permissions(), mode);
    std::vector<fs::path> listing(fs::directory_iterator(folder / "real"), fs::directory_iterator{});
    EXPECT_EQ(listing, std::vector<fs::path>{target}) << "no temporary file left";
}
#endif

#if defined(_WIN32)
TEST(ConfigFolder, IsUnderAppData) {
    const wchar_t* appdata = _wgetenv(L"APPDATA");
    const std::wstring saved = appdata ? appdata : L"";
    _wputenv_s(L"APPDATA", L"C:\\Users\\someone\\AppData\\Roaming");
    EXPECT_EQ(host::config_store::default_folder(), fs::path(L"C:\\Users\\someone\\AppData\\Roaming\\sorvale-host"));
    _wputenv_s(L"APPDATA", L"relative\\appdata");
    EXPECT_THROW(host::config_store::default_folder(), host::config_error) << "only a full path counts";
    _wputenv_s(L"APPDATA", L"");  // unset
    EXPECT_THROW(host::config_store::default_folder(), host::config_error);
    if (appdata) _wputenv_s(L"APPDATA", saved.c_str());
}
#else
TEST(ConfigFolder, FollowsXdgThenHome) {
    const char *xdg = std::getenv("XDG_CONFIG_HOME"), *home = std::getenv("HOME");
    const std::string saved_xdg = xdg ? xdg : "", saved_home = home ? home : "";
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(host::config_store::default_folder(), fs::path("/xdg/sorvale-host"));
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(host::config_store::default_folder(), fs::path("/home/someone/.config/sorvale-host"));
    setenv("XDG_CONFIG_HOME", "relative/xdg", 1);
    EXPECT_EQ(host::config_store::default_folder(), fs::path("/home/someone/.config/sorvale-host")) << "only an absolute path counts";
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_THROW(host::config_store::default_folder(), host::config_error);
    if (xdg) setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
    if (home) setenv("HOME", saved_home.c_str(), 1);
}
#endif
