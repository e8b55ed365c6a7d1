#include "integration/sorvale_mainmenu_commands.h"

#include "boundary/edge_text.h"
#include "boundary/globals.h"
#include "window/ManagerWin.h"

sorvale_mainmenu_commands::sorvale_mainmenu_commands()
    : m_commands{{guid_show_window, pfc::string8("Sorvale"), pfc::string8("Shows the Sorvale")}} {}

t_uint32 sorvale_mainmenu_commands::get_command_count() { return command_count; }

SORVALE_STRUCT_SLOT(GUID, sorvale_mainmenu_commands::get_command, t_uint32 p_index) {
    SORVALE_STRUCT_RETURN(p_index < command_count ? m_commands[p_index].m_guid : pfc::guid_null);
}

// The sinks are the host's.
void sorvale_mainmenu_commands::get_name(t_uint32 p_index, pfc::string_base& p_out) {
    edge::inbound([&] {
        if (p_index >= command_count) return;
        edge::foreign<pfc::string_base> sink(p_out);
        sink.get().set_string(m_commands[p_index].m_name.get_ptr());
    });
}

bool sorvale_mainmenu_commands::get_description(t_uint32 p_index, pfc::string_base& p_out) {
    return edge::inbound([&] {
        if (p_index != 0) return false;
        edge::foreign<pfc::string_base> sink(p_out);
        sink.get().set_string(m_commands[p_index].m_description.get_ptr());
        return true;
    });
}

SORVALE_STRUCT_SLOT(GUID, sorvale_mainmenu_commands::get_parent) { SORVALE_STRUCT_RETURN(mainmenu_groups::view); }

void sorvale_mainmenu_commands::execute(t_uint32 p_index, calling_form::by_value<service_base> p_callback) {
    edge::inbound([&] {
        // The callback is not used; its reference goes back on every path,
        // also when opening the window fails.
        const service_ptr_t<service_base> callback = p_callback.take();

        // While the host's services are on, the host may forbid commands for now.
        if (g_services_available && g_api != nullptr) {
            foobar2000_api& api = *g_api;
            if (!edge::outbound([&] { return api.host_gate_check(); })) return;
        }

        if (p_index == 0) ManagerWin::show();
    });
}
