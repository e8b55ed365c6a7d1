#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/registry.h"
#include "integration/mainmenu_commands.h"

namespace host {

// The host's main menu, built from every mainmenu_commands service in the
// registry: one group per parent GUID, commands ordered by sort priority
// (ties keep the order in which services and commands were found), each
// labelled from get_display. Holds a reference to every command set in it.
class main_menu {
public:
    struct item {
        service_ptr_t<mainmenu_commands> commands;
        t_uint32 index;
        GUID guid;
        std::string label;
        t_uint32 flags;
        t_uint32 sort_priority;
    };
    struct group {
        GUID parent;
        std::string name;  // "View" for the View group, else the GUID
        std::vector<item> items;
    };

    explicit main_menu(registry& p_registry);

    const std::vector<group>& groups() const { return m_groups; }
    // The command labelled p_label in the group named p_group, or null.
    const item* find(std::string_view p_group, std::string_view p_label) const;

    // Runs the command with a callback reference of the host's own, on the
    // calling (UI) thread. What execute throws passes to the caller.
    void run(const item& p_item);

    // References the components hold on the host's callback right now.
    t_int32 callback_references() const { return m_callback.references(); }

    // A text picture of the menu: groups and their labels.
    std::string describe() const;

private:
    // The object the host hands to execute; commands may keep it or drop it.
    class callback : public service_base {
        SORVALE_INTERFACE(callback)
        t_int32 service_add_ref() noexcept override { return ++m_references; }
        t_int32 service_release() noexcept override { return --m_references; }
        t_int32 references() const { return m_references; }

    private:
        t_int32 m_references = 0;
    };

    void add_commands(const service_ptr_t<mainmenu_commands>& p_held, mainmenu_commands& p_commands);

    registry& m_registry;
    std::vector<group> m_groups;
    callback m_callback;
};

}  // namespace host
