#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "component_fixture.h"
#include "host/memory_streams.h"
#include "platform/heap.h"

namespace fs = std::filesystem;

namespace {

using bytes = std::vector<unsigned char>;

// Position (100, 50), then size (400, 300).
const bytes example = {
    0x1E, 0x32, 0x4D, 0x46, 0x71, 0x34, 0x69, 0x4A, 0xBF, 0xBE, 0x57, 0xD0, 0xA4, 0x72, 0xAD, 0x1D,
    0x08, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x32, 0x00, 0x00, 0x00,
    0x91, 0x1F, 0xAF, 0xAA, 0x0B, 0x0E, 0x17, 0x4F, 0x89, 0x75, 0x8E, 0x96, 0xA4, 0x17, 0x8B, 0xC7,
    0x08, 0x00, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x00,
};

// The same two records with every value 0: what a fresh component writes.
bytes fresh() {
    bytes out = example;
    for (std::size_t at : {20u, 48u}) std::fill(out.begin() + at, out.begin() + at + 8, 0);
    return out;
}

bytes size_first() {
    bytes out(example.begin() + 28, example.end());
    out.insert(out.end(), example.begin(), example.begin() + 28);
    return out;
}

bytes get_config(foobar2000_client& p_client, unsigned* p_calls = nullptr) {
    host::memory_writer writer;
    host::no_abort abort;
    p_client.get_config(&writer, abort);
    if (p_calls != nullptr) *p_calls = writer.calls();
    return writer.data();
}

void set_config(foobar2000_client& p_client, const bytes& p_data) {
    host::memory_reader reader(p_data);
    host::no_abort abort;
    p_client.set_config(&reader, abort);
}

bytes file_bytes(const fs::path& p_file) {
    std::ifstream in(p_file, std::ios::binary);
    return bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& p_file, const bytes& p_data) {
    std::ofstream(p_file, std::ios::binary).write(reinterpret_cast<const char*>(p_data.data()),
                                                  static_cast<std::streamsize>(p_data.size()));
}

std::vector<std::string> folder_listing(const fs::path& p_folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(p_folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST_F(LoadedComponent, FreshConfigurationIsFiftySixBytesInSixWrites) {
    unsigned calls = 0;
    EXPECT_EQ(get_config(component->client(), &calls), fresh());
    EXPECT_EQ(calls, 6u) << "GUID, length and payload, per record";
}

TEST_F(LoadedComponent, ExampleConfigurationReadInEitherOrderIsWrittenBackPositionFirst) {
    for (const bytes& input : {example, size_first()}) {
        set_config(component->client(), fresh());
        set_config(component->client(), input);
        EXPECT_EQ(get_config(component->client()), example);
    }
}

TEST_F(LoadedComponent, DamagedStreamReachesTheHostAsAStreamError) {
    bytes cut(example.begin(), example.begin() + 46);
    EXPECT_THROW(set_config(component->client(), cut), foobar2000_io::exception_io_data);
}

namespace {

// A host with a configuration folder of its own, empty at the start.
class ConfigStore : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sorvale-config-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        file = folder / "foo_sorvale.so.cfg";
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
        EXPECT_EQ(dlopen(SORVALE_COMPONENT, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library stayed loaded";
        return messages;
    }

    fs::path folder;
    fs::path file;
};

using outcome = host::config_store::outcome;

}  // namespace

TEST_F(ConfigStore, ConfigurationSurvivesTwoLoadsOfTheLibrary) {
    auto first = run([](host::application& app, host::component_library& c) {
        EXPECT_EQ(app.restore_result_of(c)->kind, outcome::none_saved);
        set_config(c.client(), example);
    });
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(file_bytes(file), example) << "exactly the bytes get_config wrote";
    EXPECT_EQ(folder_listing(folder), std::vector<std::string>{"foo_sorvale.so.cfg"}) << "no temporary file left";

    auto second = run([](host::application& app, host::component_library& c) {
        const auto* restored = app.restore_result_of(c);
        EXPECT_EQ(restored->kind, outcome::restored);
        EXPECT_EQ(restored->data, example);
        EXPECT_EQ(get_config(c.client()), example);
    });
    EXPECT_TRUE(second.empty());
}

TEST_F(ConfigStore, SavingOnRequestReplacesTheFileAtOnce) {
    run([&](host::application& app, host::component_library& c) {
        set_config(c.client(), example);
        EXPECT_EQ(app.save_configuration(), 1u);
        EXPECT_EQ(file_bytes(file), example);
        set_config(c.client(), fresh());
        EXPECT_EQ(app.save_configuration(), 1u);
        EXPECT_EQ(file_bytes(file), fresh());
    });
}

TEST_F(ConfigStore, StrayBytesAfterTheLastRecordAreNoDamage) {
    bytes stored = example;
    stored.insert(stored.end(), {1, 2, 3, 4, 5, 6, 7});
    write_file(file, stored);
    auto messages = run([](host::application& app, host::component_library& c) {
        EXPECT_EQ(app.restore_result_of(c)->kind, outcome::restored);
        EXPECT_EQ(get_config(c.client()), example);
    });
    EXPECT_TRUE(messages.empty());
}

// Files the component refuses: each is moved aside whole, named in one
// message, and the component runs on its defaults, even where records before
// the damage had been applied.
struct damaged_case {
    const char* name;
    bytes contents;
};

class DamagedConfigFile : public ConfigStore, public ::testing::WithParamInterface<damaged_case> {};

TEST_P(DamagedConfigFile, IsMovedAsideAndTheComponentRunsOnItsDefaults) {
    const bytes& damaged = GetParam().contents;
    write_file(file, damaged);
    auto messages = run([](host::application& app, host::component_library& c) {
        EXPECT_EQ(app.restore_result_of(c)->kind, outcome::rejected);
        EXPECT_EQ(get_config(c.client()), fresh());
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].find('\n'), std::string::npos);
    EXPECT_NE(messages[0].find(file.string() + ".bad"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("Unsupported format or corrupted file"), std::string::npos) << messages[0];
    EXPECT_EQ(file_bytes(folder / "foo_sorvale.so.cfg.bad"), damaged) << "nothing of the damaged file is lost";
    EXPECT_EQ(file_bytes(file), fresh()) << "the next save holds the defaults";
}

namespace {

bytes cut(std::size_t p_length) { return bytes(example.begin(), example.begin() + static_cast<long>(p_length)); }

bytes unclaimed_cut_short() {
    bytes out = example;
    const bytes header = {0xEE, 0xEE, 0xEE, 0xEE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 0x03, 0, 0};
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), 10, 0x55);
    return out;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Table, DamagedConfigFile,
                         ::testing::Values(damaged_case{"guid_without_length", cut(16)},
                                           damaged_case{"inside_second_length", cut(46)},
                                           damaged_case{"inside_second_payload", cut(50)},
                                           damaged_case{"inside_first_payload", cut(24)},
                                           damaged_case{"unclaimed_record_cut_short", unclaimed_cut_short()}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigStore, AnEarlierBadFileIsNeverOverwritten) {
    write_file(folder / "foo_sorvale.so.cfg.bad", {1, 2, 3});
    write_file(file, cut(50));
    auto messages = run([](host::application&, host::component_library&) {});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(file_bytes(folder / "foo_sorvale.so.cfg.bad"), (bytes{1, 2, 3}));
    EXPECT_EQ(file_bytes(folder / "foo_sorvale.so.cfg.2.bad"), cut(50));
}

TEST_F(ConfigStore, AFileThatCannotBeReadIsKeptAndNeverOverwritten) {
    fs::create_directory(file);  // something is there, but it is no file
    auto messages = run([](host::application& app, host::component_library& c) {
        EXPECT_EQ(app.restore_result_of(c)->kind, outcome::unreadable);
    });
    ASSERT_EQ(messages.size(), 2u) << "one for the restore, one for the save it refuses";
    EXPECT_NE(messages[0].find(file.string()), std::string::npos) << messages[0];
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
        platform::heap_fail_at(1);
        EXPECT_EQ(app.save_configuration(), 0u);
        platform::heap_disarm();
    });
    ASSERT_GE(messages.size(), 1u);
    EXPECT_NE(messages[0].find("bad allocation"), std::string::npos) << messages[0];
    EXPECT_EQ(file_bytes(file), example) << "the shutdown save wrote the restored values again";
}

TEST(ConfigFolder, FollowsXdgThenHome) {
    const char* saved_xdg = std::getenv("XDG_CONFIG_HOME");
    const char* saved_home = std::getenv("HOME");
    const std::string xdg = saved_xdg ? saved_xdg : "", home = saved_home ? saved_home : "";

    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(host::config_store::default_folder(), fs::path("/xdg/sorvale-host"));
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(host::config_store::default_folder(), fs::path("/home/someone/.config/sorvale-host"));
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_THROW(host::config_store::default_folder(), host::config_error);

    if (saved_xdg) setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    if (saved_home) setenv("HOME", home.c_str(), 1);
}
