// The library as the host loads it: its one export, the client object, the
// service list, the component-version service and the main menu built from its
// command set.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <elf.h>
#endif

#include "boundary/componentversion.h"
#include "component_fixture.h"
#include "forms/automation.h"
#include "forms/list_box.h"
#include "host/component_list.h"
#include "host/files.h"
#include "host/main_menu.h"
#include "integration/initquit.h"
#include "integration/mainmenu_commands.h"
#include "integration/playback_queue_callback.h"
#include "platform/com.h"
#include "tests/allocation_failure.h"
#include "tests/boundary/counted_service.h"
#include "tests/temporary_folder.h"

TEST_F(LoadedComponent, ClientOffersItsFourUncountedServicesInListOrder) {
    auto& client = component->client();
    EXPECT_EQ(client.get_version(), 71u);
    EXPECT_FALSE(client.is_debug());
    EXPECT_EQ(client.get_service_list(), client.get_service_list());
    const GUID expected[] = {mainmenu_commands::class_guid, playback_queue_callback::class_guid, initquit::class_guid,
                             componentversion::class_guid};
    const auto& factories = component->factories();
    ASSERT_EQ(factories.size(), 4u);
    EXPECT_EQ(pfc::print_guid(factories[0].class_guid), "{35077B8C-6E70-47BA-B9DD-D51500E12F2E}");
    auto* node = client.get_service_list();
    for (std::size_t i = 0; i < 4; ++i, node = node->get_next()) {
        service_base* service = factories[i].service.get_ptr();
        EXPECT_EQ(factories[i].class_guid, expected[i]) << "position " << i;
        service_ptr_t<service_base> queried;
        EXPECT_TRUE(service->service_query(queried, expected[i]));
        EXPECT_EQ(queried.get_ptr(), service);
        EXPECT_FALSE(service->service_query(queried, expected[(i + 1) % 4]));
        EXPECT_FALSE(service->service_query(queried, pfc::guid_null));
        EXPECT_EQ(service->service_add_ref(), 1);
        EXPECT_EQ(service->service_release(), 1);
        service_ptr_t<service_base> again;
        node->instance_create(again);
        EXPECT_EQ(again.get_ptr(), service) << "instance_create hands out the same object";
        EXPECT_EQ(app.services().services_of(expected[i]).size(), 1u);
    }
    EXPECT_EQ(node, nullptr);
    component->unload();
    EXPECT_TRUE(app.services().services_of(mainmenu_commands::class_guid).empty());
}

#if defined(_WIN32)
// On a thread of its own that has not met the runtime yet: each call of the
// export sets the thread up as a single-threaded apartment once more (so it
// takes two CoUninitialize to leave it), and the component never leaves it.
TEST_F(LoadedComponent, EveryExportCallStartsTheComponentRuntimeAndAnswersTheSameClient) {
    host::host_api other_api(app.services());
    std::thread([&] {
        EXPECT_EQ(platform::thread_apartment(), platform::apartment::none);
        EXPECT_EQ(component->entry()(&app.api(), component->handle()), component->client_object());
        EXPECT_EQ(component->entry()(&other_api, component->handle()), component->client_object());
        EXPECT_EQ(platform::thread_apartment(), platform::apartment::single_threaded);
        platform::leave_apartment();
        EXPECT_EQ(platform::thread_apartment(), platform::apartment::single_threaded) << "entered once per call";
        platform::leave_apartment();
        EXPECT_EQ(platform::thread_apartment(), platform::apartment::none);
    }).join();
    component->entry()(&app.api(), component->handle());  // leave the host's own API in place
}
#else
TEST_F(LoadedComponent, EveryExportCallStartsTheComponentRuntimeAndAnswersTheSameClient) {
    platform::reset_co_initialize_calls();
    host::host_api other_api(app.services());
    EXPECT_EQ(component->entry()(&app.api(), component->handle()), component->client_object());
    EXPECT_EQ(component->entry()(&other_api, component->handle()), component->client_object());
    const auto record = platform::co_initialize_calls();
    EXPECT_EQ(record.calls, 2u);
    EXPECT_EQ(record.last_mode, COINIT_APARTMENTTHREADED);
    EXPECT_TRUE(record.last_reserved_was_null);
    component->entry()(&app.api(), component->handle());  // leave the host's own API in place
}
#endif

TEST_F(LoadedComponent, ComponentListShowsTheTextsOfTheVersionService) {
    const host::component_entry entry = host::describe_component(*component);  // one sink for all four texts
    EXPECT_TRUE(entry.has_version_info);
    EXPECT_EQ(entry.file_name, SORVALE_COMPONENT_NAME) << "the host passed the file name, not the path";
    EXPECT_EQ(entry.name, "Sorvale");
    EXPECT_EQ(entry.version, "0.1.1");
    const std::regex form(
        "Sorvale component\nby Tevrin\n\nVersion: 0\\.1\\.1\n"
        "Compiled: (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ( [1-9]|[1-3][0-9]) [0-9]{4} - "
        "([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]");
    EXPECT_TRUE(std::regex_match(entry.about, form)) << entry.about;
}

TEST_F(LoadedComponent, LibraryPathKeepsOnlyTheLatestFileName) {
    auto& client = component->client();
    const auto file_name = [&] { return host::describe_component(*component).file_name; };
    client.set_library_path("/opt/player/components/first.so", "first.so");
    client.set_library_path("/opt/player/components/second.so", "second.so");
    EXPECT_EQ(file_name(), "second.so");
    client.set_library_path("/somewhere", "");
    EXPECT_EQ(file_name(), "");
    client.set_library_path("/somewhere", nullptr);
    EXPECT_EQ(file_name(), "") << "a missing name is stored as the empty text";

    client.set_library_path("/x", SORVALE_COMPONENT_NAME);
    const std::string error = message_of<std::bad_alloc>([&] {
        const allocation_failure out_of_memory(1);
        client.set_library_path("/x", "a-much-longer-file-name-than-before.so");
    });
    EXPECT_EQ(error, "bad allocation");
    EXPECT_EQ(file_name(), SORVALE_COMPONENT_NAME) << "out of memory keeps the name";
}

TEST_F(LoadedComponent, HostMenuListsTheCommandUnderViewAndRunsIt) {
    app.queue().add(std::vector<t_playback_queue_item>{app.tracks().queue_item(0), app.tracks().queue_item(1)});
    host::main_menu menu(app.services());
    EXPECT_EQ(menu.describe(), "View\n  Sorvale\n");
    const auto* item = menu.find("View", "Sorvale");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(pfc::print_guid(item->guid), "{5A7B8A3F-8EF8-452B-B9EA-15B5083536BE}");
    menu.run(*item);
    forms::Form* window = forms::automation::FindForm(u"ManagerWin");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(forms::automation::InspectList(forms::automation::Get<forms::ListBox>(*window, u"queueList")).lines.size(), 2u);
    EXPECT_EQ(menu.callback_references(), 0) << "the command gave the host's callback back";
}

TEST(ComponentBeforeSetup, ReportsAnEmptyFileNameUntilTheHostGivesOne) {
    std::string reason;
    HINSTANCE library = host::dynamic_library::open(SORVALE_COMPONENT, reason);
    ASSERT_NE(library, nullptr) << reason;
    auto entry = reinterpret_cast<foobar2000_get_interface_t>(host::dynamic_library::find(library, "foobar2000_get_interface"));
    host::registry services;
    host::host_api api(services);
    host::string_sink sink;
    sink.set_string("stale");
    for (auto* node = entry(&api, library)->get_service_list(); node != nullptr; node = node->get_next()) {
        if (!(node->get_class_guid() == componentversion::class_guid)) continue;
        service_ptr_t<service_base> out;
        node->instance_create(out);
        static_cast<componentversion*>(out.get_ptr())->get_file_name(sink);
    }
    EXPECT_EQ(sink.text(), "");
    host::dynamic_library::close(library);
}

namespace {

struct refused_case {
    const char* name;
    std::string path;
    std::string named_in_error;
};

class LoadingRefuses : public ::testing::TestWithParam<refused_case> {};

}  // namespace

TEST_P(LoadingRefuses, WithAClearErrorAndNothingLoaded) {
    host::application app;
    const std::string error = message_of<host::load_error>([&] { app.load_component(GetParam().path); });
    EXPECT_NE(error.find(GetParam().named_in_error), std::string::npos) << error;
    EXPECT_TRUE(app.components().empty());
    EXPECT_FALSE(host::dynamic_library::is_loaded(OLD_CLIENT_COMPONENT)) << "a refused library is closed";
}

INSTANTIATE_TEST_SUITE_P(Table, LoadingRefuses,
                         ::testing::Values(refused_case{"missing_file", "/nonexistent/foo_missing.so", "/nonexistent/foo_missing.so"},
                                           refused_case{"no_export", PLATFORM_LIBRARY, "foobar2000_get_interface"},
                                           refused_case{"client_version_70", OLD_CLIENT_COMPONENT, "70"}),
                         [](const auto& p_case) { return std::string(p_case.param.name); });

// A name without a folder is the file in the current folder, as for any
// other file argument, never a library of that name on the search path.
TEST(ComponentPath, ABareNameIsTheFileInTheCurrentFolder) {
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path folder = make_temporary_folder("sorvale-bare-");
    std::ofstream(folder / SORVALE_COMPONENT_NAME) << "a text file named like the component\n";
    host::application app;
    std::filesystem::current_path(folder);
    const std::string error = message_of<host::load_error>([&] { app.load_component(SORVALE_COMPONENT_NAME); });
    std::filesystem::current_path(std::filesystem::path(SORVALE_COMPONENT).parent_path());
    EXPECT_EQ(app.load_component(SORVALE_COMPONENT_NAME).file_name(), SORVALE_COMPONENT_NAME) << "from its own folder";
    std::filesystem::current_path(before);
    std::filesystem::remove_all(folder);
    EXPECT_NE(error.find("cannot load component " SORVALE_COMPONENT_NAME), std::string::npos) << error;
    EXPECT_EQ(app.components().size(), 1u);
}

// A library in a folder whose name is not ASCII loads like any other: the
// host's UTF-8 path reaches the system whole (on Windows, as UTF-16).
TEST(ComponentPath, AFolderWithANonAsciiNameLoadsLikeAnyOther) {
    const std::filesystem::path top = make_temporary_folder("sorvale-path-");
    const std::filesystem::path folder = top / host::files::path_of("S\xC3\xB8rv\xC3\xA5le \xE3\x82\xBD\xE3\x83\xAB");
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(SORVALE_COMPONENT, folder / SORVALE_COMPONENT_NAME);
    {
        host::application app;
        const std::string path = host::files::text_of(folder / SORVALE_COMPONENT_NAME);
        EXPECT_EQ(app.load_component(path).file_name(), SORVALE_COMPONENT_NAME);
        EXPECT_TRUE(host::dynamic_library::is_loaded(path));
        app.shutdown();
        EXPECT_FALSE(host::dynamic_library::is_loaded(path));
    }
    std::filesystem::remove_all(top);
}

#if defined(_WIN32)
// The functions the DLL exports, read straight from the export directory of
// the PE file: one, by its plain name.
TEST(ComponentLibrary, DefinesExactlyOneDynamicSymbol) {
    std::ifstream in(SORVALE_COMPONENT, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto read = [&](std::size_t p_at, std::size_t p_size) {
        std::uint32_t value = 0;  // little-endian, as this machine
        if (p_at + p_size <= file.size()) std::memcpy(&value, file.data() + p_at, p_size);
        return value;
    };
    const std::size_t pe = read(0x3C, 4), optional = pe + 24, sections = optional + read(pe + 20, 2);
    ASSERT_EQ(read(pe, 4), 0x4550u) << "PE signature";
    // PE32+ on x64, PE32 on x86, whose optional header is 16 bytes shorter
    // before the data directories.
    constexpr bool wide = sizeof(void*) == 8;
    ASSERT_EQ(read(optional, 2), wide ? 0x20Bu : 0x10Bu) << "an image of this program's architecture";
    // The file offset of an address in the loaded image.
    const auto offset = [&](std::size_t p_address) -> std::size_t {
        for (std::size_t s = sections; s < sections + 40 * read(pe + 6, 2); s += 40) {
            const std::size_t start = read(s + 12, 4), size = std::max(read(s + 8, 4), read(s + 16, 4));
            if (p_address >= start && p_address < start + size) return p_address - start + read(s + 20, 4);
        }
        return file.size();
    };
    const std::size_t directory = offset(read(optional + (wide ? 112 : 96), 4));  // the first data directory: exports
    ASSERT_LT(directory, file.size()) << "no export directory";
    EXPECT_EQ(read(directory + 20, 4), 1u) << "functions exported, by name or by number";
    std::vector<std::string> names;
    for (std::size_t i = 0; i < read(directory + 24, 4); ++i) {
        const std::size_t name = offset(read(offset(read(directory + 32, 4)) + 4 * i, 4));
        if (name < file.size()) names.emplace_back(file.data() + name);
    }
    EXPECT_EQ(names, std::vector<std::string>{"foobar2000_get_interface"});
}
#else
// The names the library defines in its dynamic symbol table, read straight from the ELF file.
TEST(ComponentLibrary, DefinesExactlyOneDynamicSymbol) {
    std::ifstream in(SORVALE_COMPONENT, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(file.size(), sizeof(Elf64_Ehdr));
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(file.data());
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(file.data() + header->e_shoff);
    std::vector<std::string> names;
    for (unsigned i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNSYM) continue;
        const char* strings = file.data() + sections[sections[i].sh_link].sh_offset;
        const auto* symbols = reinterpret_cast<const Elf64_Sym*>(file.data() + sections[i].sh_offset);
        for (std::size_t s = 1; s < sections[i].sh_size / sizeof(Elf64_Sym); ++s) {
            if (symbols[s].st_shndx != SHN_UNDEF) names.emplace_back(strings + symbols[s].st_name);
        }
    }
    EXPECT_EQ(names, std::vector<std::string>{"foobar2000_get_interface"});
}
#endif

// The host's start-up call reaches every initquit service once, in the order
// they were registered.
TEST(Application, StartUpCallsEveryInitquitServiceInRegistrationOrder) {
    struct hook final : counted_service<initquit> {
        explicit hook(std::vector<int>& p_calls, int p_id) : calls(p_calls), id(p_id) {}
        void on_init() override { calls.push_back(id); }
        std::vector<int>& calls;
        int id;
    };
    std::vector<int> calls;
    hook first(calls, 1), second(calls, 2);
    {
        host::application app([](const std::string&) {});
        app.services().add(initquit::class_guid, &first);
        app.services().add(initquit::class_guid, &second);
        app.start_components();
        EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    }
    EXPECT_EQ(first.count(), 0);
    EXPECT_EQ(second.count(), 0);
}
