#include "host/main_menu.h"

#include <algorithm>

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

main_menu::main_menu(registry& p_registry) {
    for (const auto& service : p_registry.services_of(mainmenu_commands::class_guid)) {
        service_ptr_t<mainmenu_commands> commands = static_cast<mainmenu_commands*>(service.get_ptr());
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
            found->items.push_back(item{commands, index, commands->get_command(index), label.text(), flags, priority});
        }
    }
    for (auto& g : m_groups) {
        std::stable_sort(g.items.begin(), g.items.end(),
                         [](const item& a, const item& b) { return a.sort_priority < b.sort_priority; });
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
    p_item.commands->execute(p_item.index, service_ptr_t<service_base>(&m_callback));
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
