#include "integration/sorvale_mainmenu_commands.h"

namespace {

struct menu_entry {
    GUID m_guid;
    const char* m_name;
    const char* m_description;
};

const menu_entry g_commands[] = {
    {guid_show_window, "Sorvale", "Shows the Sorvale"},
};

constexpr t_uint32 g_command_count = sizeof g_commands / sizeof g_commands[0];

}  // namespace

t_uint32 sorvale_mainmenu_commands::get_command_count() { return g_command_count; }

GUID sorvale_mainmenu_commands::get_command(t_uint32 p_index) {
    return p_index < g_command_count ? g_commands[p_index].m_guid : pfc::guid_null;
}

void sorvale_mainmenu_commands::get_name(t_uint32 p_index, pfc::string_base& p_out) {
    if (p_index < g_command_count) p_out.set_string(g_commands[p_index].m_name);
}

bool sorvale_mainmenu_commands::get_description(t_uint32 p_index, pfc::string_base& p_out) {
    if (p_index != 0) return false;
    p_out.set_string(g_commands[p_index].m_description);
    return true;
}

GUID sorvale_mainmenu_commands::get_parent() { return mainmenu_groups::view; }

// Opening the window arrives with the window itself.
void sorvale_mainmenu_commands::execute(t_uint32, service_ptr_t<service_base> p_callback) { p_callback.release(); }
