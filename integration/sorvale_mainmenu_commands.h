#pragma once

#include "integration/mainmenu_commands.h"
#include "support/string8.h"

// {5A7B8A3F-8EF8-452B-B9EA-15B5083536BE}
inline constexpr GUID guid_show_window = {
    0x5A7B8A3F, 0x8EF8, 0x452B, {0xB9, 0xEA, 0x15, 0xB5, 0x08, 0x35, 0x36, 0xBE}};

// The component's one menu command: "Sorvale" in the View group, which opens
// the queue window or brings it forward. While the host's services are on,
// the host's gate check may forbid it for now. A static of the component
// (inside foo_menu), uncounted; its texts are built at load, so it is not
// constinit.
class sorvale_mainmenu_commands : public mainmenu_commands {
public:
    sorvale_mainmenu_commands();

    t_uint32 get_command_count() override;
    SORVALE_STRUCT_SLOT(GUID, get_command, t_uint32 p_index) override;
    void get_name(t_uint32 p_index, pfc::string_base& p_out) override;
    bool get_description(t_uint32 p_index, pfc::string_base& p_out) override;
    SORVALE_STRUCT_SLOT(GUID, get_parent) override;
    void execute(t_uint32 p_index, calling_form::by_value<service_base> p_callback) override;

private:
    struct menu_entry {
        GUID m_guid;
        pfc::string8 m_name;
        pfc::string8 m_description;
    };
    static constexpr t_uint32 command_count = 1;
    menu_entry m_commands[command_count];
};
