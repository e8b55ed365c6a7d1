// Loading the DLL under test as the host does, and its client object.
#include "host.h"

namespace {

void append(wchar_t* p_to, size_t p_capacity, const wchar_t* p_text) {
    size_t at = wcslen(p_to);
    while (*p_text != L'\0' && at + 1 < p_capacity) p_to[at++] = *p_text++;
    p_to[at] = L'\0';
}

void append_number(wchar_t* p_to, size_t p_capacity, DWORD p_number) {
    wchar_t digits[12];
    int at = 11;
    digits[at] = L'\0';
    do {
        digits[--at] = static_cast<wchar_t>(L'0' + p_number % 10);
        p_number /= 10;
    } while (p_number != 0);
    append(p_to, p_capacity, digits + at);
}

// The names in a module's export directory: how many, and the first.
struct export_names {
    t_uint32 count = 0;
    const char* first = nullptr;
};

export_names exported_names(HMODULE p_module) {
    const t_uint8* base = reinterpret_cast<const t_uint8*>(p_module);
    t_uint32 at;
    memcpy(&at, base + 0x3C, 4);  // the PE header, past the DOS stub
    const t_uint8* optional = base + at + 4 + 20;
    t_uint16 magic;
    memcpy(&magic, optional, 2);
    // The data directories follow the optional header's fixed part, which is
    // longer in a 64-bit image; the export directory is the first.
    t_uint32 directory;
    memcpy(&directory, optional + (magic == 0x20B ? 112 : 96), 4);
    export_names names;
    if (directory == 0) return names;
    t_uint32 names_at;
    memcpy(&names.count, base + directory + 24, 4);
    memcpy(&names_at, base + directory + 32, 4);
    if (names.count != 0) {
        t_uint32 first_at;
        memcpy(&first_at, base + names_at, 4);
        names.first = reinterpret_cast<const char*>(base + first_at);
    }
    return names;
}

// Interface class GUID of each factory, in the list's order.
const GUID* const factory_order[] = {&mainmenu_commands::class_guid, &playback_queue_callback::class_guid,
                                     &initquit::class_guid, &componentversion::class_guid};
const char* const factory_names[] = {"menu commands", "queue callback", "init/quit", "component version"};

}  // namespace

bool check_loading(host& p_host, const wchar_t* p_dll) {
    loaded_component& loaded = p_host.component;
    bool loaded_ok = false;
#if !defined(_WIN64)
    // A player's process holds other plug-ins, and one built by mingw-w64
    // with its default options brings GCC's shared 32-bit unwinder: the
    // component's own must still find its frames (the error checks fail if
    // it does not). The build leaves that DLL beside this program.
    check("GCC's shared unwinder, libgcc_s_dw2-1.dll, is in the process before the component, as another plug-in "
          "brings it",
          [&](check_result& r) {
              wchar_t path[400] = {};
              const DWORD length = GetModuleFileNameW(nullptr, path, 380);
              size_t folder = length;
              while (folder > 0 && path[folder - 1] != L'\\' && path[folder - 1] != L'/') --folder;
              path[folder] = L'\0';
              append(path, 400, L"libgcc_s_dw2-1.dll");
              r.expect(LoadLibraryW(path) != nullptr, "cannot load it from beside the program (error %lu)",
                       GetLastError());
          });
#endif
    check("the DLL, copied alone into a folder whose name is not ASCII, loads there by LoadLibraryW",
          [&](check_result& r) {
              // A folder of this run's own: one a killed run left behind may have its name.
              bool made = false;
              for (DWORD attempt = 0; attempt < 100 && !made; ++attempt) {
                  loaded.folder[0] = L'\0';
                  GetTempPathW(200, loaded.folder);
                  append(loaded.folder, 320, L"sorvale-Prüfung-試験-");
                  append_number(loaded.folder, 320, GetCurrentProcessId());
                  append(loaded.folder, 320, L"-");
                  append_number(loaded.folder, 320, attempt);
                  made = CreateDirectoryW(loaded.folder, nullptr) != 0;
              }
              if (!r.expect(made, "cannot make a folder in the temporary folder (error %lu)", GetLastError())) {
                  loaded.folder[0] = L'\0';
                  return;
              }
              const wchar_t* name = p_dll;
              for (const wchar_t* c = p_dll; *c != L'\0'; ++c) {
                  if (*c == L'\\' || *c == L'/') name = c + 1;
              }
              append(loaded.path, 400, loaded.folder);
              append(loaded.path, 400, L"\\");
              append(loaded.path, 400, name);
              if (!r.expect(CopyFileW(p_dll, loaded.path, 1) != 0, "cannot copy the DLL under test (error %lu)",
                            GetLastError()))
                  return;
              WideCharToMultiByte(CP_UTF8, 0, loaded.path, -1, loaded.path_utf8, sizeof loaded.path_utf8, nullptr,
                                  nullptr);
              WideCharToMultiByte(CP_UTF8, 0, name, -1, loaded.name_utf8, sizeof loaded.name_utf8, nullptr, nullptr);
              loaded.module = LoadLibraryW(loaded.path);
              if (!r.expect(loaded.module != nullptr, "LoadLibraryW failed (error %lu)", GetLastError())) return;
              loaded.entry = reinterpret_cast<foobar2000_get_interface_t>(
                  GetProcAddress(loaded.module, "foobar2000_get_interface"));
              loaded_ok = r.expect(loaded.entry != nullptr, "no export foobar2000_get_interface");
          });
    if (!loaded_ok) return false;

    check("its export table names foobar2000_get_interface and nothing else", [&](check_result& r) {
        const export_names names = exported_names(loaded.module);
        r.expect(names.count == 1, "%u names exported", names.count);
        r.expect(names.first != nullptr && strcmp(names.first, "foobar2000_get_interface") == 0,
                 "the first name is %s", names.first != nullptr ? names.first : "missing");
    });

    check("foobar2000_get_interface answers the same client object on every call", [&](check_result& r) {
        // The first call hands over another API object: the later call's must be the one kept.
        host_api earlier;
        foobar2000_client* first = loaded.entry(&earlier, loaded.module);
        loaded.client = loaded.entry(&p_host.api, loaded.module);
        r.expect(first != nullptr && first == loaded.client, "two different clients, %p and %p",
                 static_cast<void*>(first), static_cast<void*>(loaded.client));
        r.expect(earlier.m_calls == 0 && earlier.m_gate_checks == 0, "the component called the API object");
    });
    return loaded.client != nullptr;
}

void check_client(host& p_host) {
    loaded_component& loaded = p_host.component;
    foobar2000_client* client = loaded.client;

    check("the client's version is 71 and is_debug false, on every call", [&](check_result& r) {
        for (int i = 0; i < 2; ++i) {
            const t_uint32 version = client->get_version();
            r.expect(version == 71, "get_version answered %u", version);
            r.expect(!client->is_debug(), "is_debug answered true");
        }
    });

    check("get_service_list: menu commands, queue callback, init/quit, component version, then the end",
          [&](check_result& r) {
              r.expect(client->get_service_list() == client->get_service_list(), "the head changed between calls");
              const service_factory_base* factory = client->get_service_list();
              for (int i = 0; i < 4; ++i) {
                  if (!r.expect(factory != nullptr, "the list ends after %d factories", i)) return;
                  r.expect(*factory->m_guid == *factory_order[i], "factory %d is %s, not the %s", i + 1,
                           guid_text(*factory->m_guid).text, factory_names[i]);
                  factory = factory->m_next;
              }
              r.expect(factory == nullptr, "the list goes on past four factories");
          });

    check("each factory hands out one uncounted object that answers its own class GUID and no other",
          [&](check_result& r) {
              service_factory_base* factory = client->get_service_list();
              service_base* objects[4] = {};
              host_callback unrelated;
              for (int i = 0; i < 4 && factory != nullptr; ++i, factory = factory->m_next) {
                  service_ptr_t<service_base> first, second;
                  factory->instance_create(first);
                  factory->instance_create(second);
                  service_base* object = first.get_ptr();
                  if (!r.expect(object != nullptr && object == second.get_ptr(),
                                "the %s factory handed out no object, or two", factory_names[i]))
                      continue;
                  service_ptr_t<service_base> answer;
                  r.expect(object->service_query(answer, *factory_order[i]) && answer.get_ptr() == object,
                           "the %s object does not answer its own class GUID with itself", factory_names[i]);
                  service_ptr_t<service_base> untouched(&unrelated);
                  r.expect(!object->service_query(untouched, *factory_order[(i + 1) % 4]) &&
                               !object->service_query(untouched, guid_null),
                           "the %s object answers another GUID", factory_names[i]);
                  r.expect(untouched.get_ptr() == &unrelated && unrelated.m_refs == 1,
                           "a refused query changed the host's handle");
                  r.expect(object->service_add_ref() == 1 && object->service_release() == 1 &&
                               object->service_release() == 1,
                           "the %s object counts its references", factory_names[i]);
                  objects[i] = object;
              }
              loaded.menu = static_cast<mainmenu_commands*>(objects[0]);
              loaded.queue_callback = static_cast<playback_queue_callback*>(objects[1]);
              loaded.init_quit = static_cast<initquit*>(objects[2]);
              loaded.version = static_cast<componentversion*>(objects[3]);
              p_host.managers[0].m_listener = loaded.queue_callback;
          });

    check("get_file_name is empty before set_library_path, and then exactly the name given", [&](check_result& r) {
        host_sink name("previous text");
        loaded.version->get_file_name(name);
        r.expect(name.is(""), "before set_library_path it gave \"%s\"", name.get_ptr());
        client->set_library_path(loaded.path_utf8, "first-name.dll");
        client->set_library_path(loaded.path_utf8, loaded.name_utf8);
        loaded.version->get_file_name(name);
        r.expect(name.is(loaded.name_utf8), "it gave \"%s\", not \"%s\"", name.get_ptr(), loaded.name_utf8);
    });

    check("services_init switches the command gate on and off", [&](check_result& r) {
        const int asked = p_host.api.m_gate_checks;
        client->services_init(true);
        p_host.execute(1);
        r.expect(p_host.api.m_gate_checks == asked + 1, "with services on, the gate was asked %d times",
                 p_host.api.m_gate_checks - asked);
        client->services_init(true);
        client->services_init(false);
        p_host.execute(1);
        r.expect(p_host.api.m_gate_checks == asked + 1, "with services off, the gate was asked");
    });
}

void unload(host& p_host) {
    loaded_component& loaded = p_host.component;
    if (loaded.module != nullptr) FreeLibrary(loaded.module);
    loaded.module = nullptr;
    if (loaded.path[0] != L'\0') DeleteFileW(loaded.path);
    if (loaded.folder[0] != L'\0') RemoveDirectoryW(loaded.folder);
}
