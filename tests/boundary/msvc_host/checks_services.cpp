// The component version service, the menu command set's answers, and the
// queue callback and init/quit hook while no window is open.
#include "host.h"

namespace {

const GUID guid_show_window = {0x5A7B8A3F, 0x8EF8, 0x452B, {0xB9, 0xEA, 0x15, 0xB5, 0x08, 0x35, 0x36, 0xBE}};

bool digits(const char* p_text, int p_count) {
    for (int i = 0; i < p_count; ++i) {
        if (p_text[i] < '0' || p_text[i] > '9') return false;
    }
    return true;
}

// "Mmm dd yyyy - hh:mm:ss", the day right-aligned in two places.
bool is_build_stamp(const char* p_text) {
    static const char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (strlen(p_text) != 22) return false;
    bool month = false;
    for (int i = 0; i < 12; ++i) month = month || strncmp(p_text, months + 3 * i, 3) == 0;
    const bool day = (p_text[4] == ' ' || digits(p_text + 4, 1)) && digits(p_text + 5, 1);
    return month && p_text[3] == ' ' && day && p_text[6] == ' ' && digits(p_text + 7, 4) &&
           strncmp(p_text + 11, " - ", 3) == 0 && digits(p_text + 14, 2) && p_text[16] == ':' &&
           digits(p_text + 17, 2) && p_text[19] == ':' && digits(p_text + 20, 2);
}

// Calls a slot that returns a GUID. A callee that takes the result's address
// and `this` the other way round (GCC's order) writes the GUID over the start
// of the component's object: the check says so and puts the bytes back, so
// that the object stays usable for the checks after it.
template <typename F>
GUID guid_slot(check_result& p_result, mainmenu_commands* p_object, const char* p_slot, F&& p_call) {
    void* bytes = p_object;
    t_uint8 before[sizeof(GUID)];
    memcpy(before, bytes, sizeof before);
    GUID answer;
    memset(&answer, 0xCD, sizeof answer);
    answer = p_call();
    if (memcmp(before, bytes, sizeof before) != 0) {
        memcpy(bytes, before, sizeof before);
        p_result.fail("%s wrote its result over the component's own object", p_slot);
    }
    return answer;
}

}  // namespace

void check_component_version(host& p_host) {
    componentversion* version = p_host.component.version;
    struct fixed_text {
        const char* name;
        void (componentversion::*slot)(pfc::string_base&);
        const char* text;
    };
    static const fixed_text texts[] = {{"get_component_name", &componentversion::get_component_name, "Sorvale"},
                                       {"get_component_version", &componentversion::get_component_version, "0.1.1"}};
    check("the name and the version are Sorvale and 0.1.1, each replacing what the sink held",
          [&](check_result& r) {
              for (const fixed_text& text : texts) {
                  host_sink sink("previous text");
                  (version->*text.slot)(sink);
                  (version->*text.slot)(sink);
                  r.expect(sink.is(text.text), "%s gave \"%s\"", text.name, sink.get_ptr());
              }
          });

    check("the about text: five lines, the last with the build's date and time, no line feed at the end",
          [&](check_result& r) {
              static const char lines[] = "Sorvale component\nby Tevrin\n\nVersion: 0.1.1\nCompiled: ";
              host_sink sink("previous text");
              version->get_about_message(sink);
              version->get_about_message(sink);
              const char* text = sink.get_ptr();
              r.expect(strncmp(text, lines, sizeof lines - 1) == 0 && is_build_stamp(text + sizeof lines - 1),
                       "it gave \"%s\"", text);
          });
}

void check_menu(host& p_host) {
    mainmenu_commands* menu = p_host.component.menu;

    check("one command, in the View group, at sort priority 0x80000000", [&](check_result& r) {
        r.expect(menu->get_command_count() == 1, "%u commands", menu->get_command_count());
        const GUID parent = guid_slot(r, menu, "get_parent", [&] { return menu->get_parent(); });
        r.expect(parent == mainmenu_groups::view, "get_parent gave %s", guid_text(parent).text);
        r.expect(menu->get_sort_priority() == 0x80000000u, "sort priority %08X", menu->get_sort_priority());
    });

    check("get_command writes the command's GUID, and past the table the null GUID, into the host's result",
          [&](check_result& r) {
              struct command_row {
                  t_uint32 index;
                  const GUID* expected;
              };
              static const command_row rows[] = {{0, &guid_show_window}, {1, &guid_null}, {0, &guid_show_window}};
              for (const command_row& row : rows) {
                  const GUID answer = guid_slot(r, menu, "get_command", [&] { return menu->get_command(row.index); });
                  r.expect(answer == *row.expected, "get_command(%u) gave %s", row.index, guid_text(answer).text);
              }
              r.expect(menu->get_command_count() == 1, "the object no longer answers after get_command");
          });

    check("get_name and get_display give \"Sorvale\" with no flags; past the table the text stays",
          [&](check_result& r) {
              host_sink name("previous text");
              menu->get_name(0, name);
              r.expect(name.is("Sorvale"), "get_name(0) gave \"%s\"", name.get_ptr());
              host_sink untouched("previous text");
              menu->get_name(1, untouched);
              r.expect(untouched.is("previous text"), "get_name(1) changed the text to \"%s\"", untouched.get_ptr());
              for (t_uint32 index = 0; index < 2; ++index) {
                  host_sink display("previous text");
                  t_uint32 flags = 0xFFFFFFFFu;
                  const bool shown = menu->get_display(index, display, flags);
                  r.expect(shown && flags == 0, "get_display(%u) answered %d with flags %08X", index, shown, flags);
                  r.expect(display.is(index == 0 ? "Sorvale" : "previous text"), "get_display(%u) gave \"%s\"", index,
                           display.get_ptr());
              }
          });

    check("get_description gives the description for 0; past the table it answers false and leaves the text",
          [&](check_result& r) {
              host_sink description("previous text");
              r.expect(menu->get_description(0, description) && description.is("Shows the Sorvale"),
                       "get_description(0) gave \"%s\"", description.get_ptr());
              host_sink untouched("previous text");
              r.expect(!menu->get_description(1, untouched) && untouched.is("previous text"),
                       "get_description(1) answered true or gave \"%s\"", untouched.get_ptr());
          });
}

void check_without_window(host& p_host) {
    loaded_component& loaded = p_host.component;
    struct call_row {
        const char* name;
        void (*call)(loaded_component&);
    };
    static const call_row rows[] = {
        {"with no window open, on_changed of every origin reads nothing from the host",
         [](loaded_component& c) {
             for (t_uint32 origin = 0; origin < 4; ++origin)
                 c.queue_callback->on_changed(static_cast<playback_queue_callback::t_change_origin>(origin));
         }},
        {"with no window open, on_quit does nothing", [](loaded_component& c) { c.init_quit->on_quit(); }},
        {"on_init does nothing", [](loaded_component& c) { c.init_quit->on_init(); }},
    };
    for (const call_row& row : rows) {
        check(row.name, [&](check_result& r) {
            geometry before, after;
            if (!saved_geometry(p_host, r, before)) return;
            const int calls = p_host.api.m_calls, reads = p_host.managers[0].m_reads;
            row.call(loaded);
            r.expect(p_host.api.m_calls == calls && p_host.managers[0].m_reads == reads,
                     "%d calls to the registry, %d queue reads", p_host.api.m_calls - calls,
                     p_host.managers[0].m_reads - reads);
            if (saved_geometry(p_host, r, after))
                r.expect(memcmp(&before, &after, sizeof before) == 0, "the saved geometry changed");
        });
    }
}
