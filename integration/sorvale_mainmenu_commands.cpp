#include "integration/sorvale_mainmenu_commands.h"

#include "boundary/globals.h"
#include "support/scope_exit.h"
#include "window/ManagerWin.h"

sorvale_mainmenu_commands::sorvale_mainmenu_commands()
    : m_commands{{guid_show_window, pfc::string8("Sorvale"), pfc::string8("Shows the Sorvale")}} {}

t_uint32 sorvale_mainmenu_commands::get_command_count() { return command_count; }

GUID sorvale_mainmenu_commands::get_command(t_uint32 p_index) {
    return p_index < command_count ? m_commands[p_index].m_guid : pfc::guid_null;
}

void sorvale_mainmenu_commands::get_name(t_uint32 p_index, pfc::string_base& p_out) {
    if (p_index < command_count) p_out.set_string(m_commands[p_index].m_name.get_ptr());
}

bool sorvale_mainmenu_commands::get_description(t_uint32 p_index, pfc::string_base& p_out) {
    if (p_index != 0) return false;
    p_out.set_string(m_commands[p_index].m_description.get_ptr());
    return true;
}

GUID sorvale_mainmenu_commands::get_parent() { return mainmenu_groups::view; }

void sorvale_mainmenu_commands::execute(t_uint32 p_index, service_ptr_t<service_base> p_callback) {
    // The callback is not used; its reference goes back on every path, also
    // when opening the window fails.
    const pfc::on_scope_exit release_callback([&p_callback]() noexcept { p_callback.release(); });

    // While the host's services are on, the host may forbid commands for now.
    if (g_services_available && g_api != nullptr && !g_api->host_gate_check()) return;

    if (p_index == 0) ManagerWin::show();
}
