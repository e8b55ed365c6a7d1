#include "host/main_menu.h"

#include <algorithm>

#include "host/service_calls.h"
#include "host/string_sink.h"

namespace host {

inline const GUID main_menu::callback::class_guid = {
    0x2C5B7E0A, 0x91D3, 0x4F6E, {0xB2, 0x48, 0x6A, 0x0C, 0x13, 0xE7, 0x55, 0xD9}};

namespace {

std::string group_name(const GUID& p_parent) {
    if (p_parent == mainmenu_groups::view) return "View";
    return pfc::print_guid(p_parent);
}

}  // namespace

main_menu::main_menu(registry& p_registry) : m_registry(p_registry) {
    for (const auto& service : p_registry.services_of(mainmenu_commands::class_guid)) {
        call_service<mainmenu_commands>(p_registry, service.get_ptr(), [&](mainmenu_commands& commands) {
            add_commands(service_ptr_t<mainmenu_commands>(static_cast<mainmenu_commands*>(service.get_ptr())), commands);
        });
    }
    for (auto& g : m_groups) {
        std::stable_sort(g.items.begin(), g.items.end(),
                         [](const item& a, const item& b) { return a.sort_priority < b.sort_priority; });
    }
}

// p_held is the reference the menu keeps; p_commands what the host calls.
void main_menu::add_commands(const service_ptr_t<mainmenu_commands>& p_held, mainmenu_commands& p_commands) {
    {
        mainmenu_commands* commands = &p_commands;
        const GUID parent = commands->get_parent();
        auto found = std::find_if(m_groups.begin(), m_groups.end(),
                                  [&](const group& g) { return g.parent == parent; });
        if (found == m_groups.end()) {
            m_groups.push_back(group{parent, group_name(parent), {}});
            found = m_groups.end() - 1;
        }
        const t_uint32 count = commands->get_command_count();
        const t_uint32 priority = commands->get_sort_priority();
        for (t_uint32 index = 0; index < count; ++index) {
            string_sink label;
            t_uint32 flags = 0;
            if (!commands->get_display(index, label, flags)) continue;
            found->items.push_back(item{p_held, index, commands->get_command(index), label.text(), flags, priority});
        }
    }
}

const main_menu::item* main_menu::find(std::string_view p_group, std::string_view p_label) const {
    for (const auto& g : m_groups) {
        if (g.name != p_group) continue;
        for (const auto& i : g.items) {
            if (i.label == p_label) return &i;
        }
    }
    return nullptr;
}

void main_menu::run(const item& p_item) {
    call_service<mainmenu_commands>(m_registry, p_item.commands.get_ptr(), [&](mainmenu_commands& commands) {
        commands.execute(p_item.index, service_ptr_t<service_base>(&m_callback));
    });
}

std::string main_menu::describe() const {
    std::string text;
    for (const auto& g : m_groups) {
        text += g.name + "\n";
        for (const auto& i : g.items) text += "  " + i.label + "\n";
    }
    return text;
}

}  // namespace host
