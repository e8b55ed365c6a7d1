#pragma once

#include "boundary/calling_form.h"
#include "boundary/edge.h"
#include "boundary/service.h"
#include "support/string_base.h"

// A set of commands for the host's main menu. The host asks for the commands,
// their names, descriptions and menu group, builds its menu from the answers
// and calls execute when the user picks one. Text outputs are the host's
// sinks, borrowed for the call; any index may come, also one outside the set.
// [ui-thread]
class mainmenu_commands : public service_base {
    SORVALE_INTERFACE(mainmenu_commands)

    virtual t_uint32 get_command_count() = 0;  // [nothrow]
    // The command's GUID; the null GUID for an index outside the set. A
    // struct answered by value: Microsoft's form on Windows (calling_form.h).
    // [nothrow]
    virtual SORVALE_STRUCT_SLOT(GUID, get_command, t_uint32 p_index) = 0;
    // Sets p_out to the menu text; an index outside the set leaves it
    // unchanged. [throws: what p_out raises]
    virtual void get_name(t_uint32 p_index, pfc::string_base& p_out) = 0;
    // Sets p_out to the description and answers true, or answers false and
    // leaves p_out alone. [throws: what p_out raises]
    virtual bool get_description(t_uint32 p_index, pfc::string_base& p_out) = 0;
    // The menu group every command of the set goes into. As get_command.
    // [nothrow]
    virtual SORVALE_STRUCT_SLOT(GUID, get_parent) = 0;
    virtual t_uint32 get_sort_priority() { return sort_priority_dontcare; }  // [nothrow]
    // The text to show now, and its flags (none by default); true even for an
    // index outside the set, with the text left as get_name leaves it.
    // [throws: what p_text raises]
    virtual bool get_display(t_uint32 p_index, pfc::string_base& p_text, t_uint32& p_flags) {
        return edge::inbound([&] {
            p_flags = 0;
            get_name(p_index, p_text);
            return true;
        });
    }
    // Runs the command. p_callback is the host's, handed over by value with
    // its own reference (calling_form.h), which the implementation takes
    // and releases on every path, errors included. Creates windows on the
    // calling thread, which must be the one running the message loop.
    // [throws: what opening and filling the window raises: std::bad_alloc,
    // acquisition errors, host errors]
    virtual void execute(t_uint32 p_index, calling_form::by_value<service_base> p_callback) = 0;

    static constexpr t_uint32 sort_priority_dontcare = 0x80000000u;

#if SORVALE_MSVC_ABI
    // For callers, the plain forms of the slots Microsoft passes otherwise.
    GUID get_command(t_uint32 p_index) {
        GUID result;
        return *get_command(&result, p_index);
    }
    GUID get_parent() {
        GUID result;
        return *get_parent(&result);
    }
    void execute(t_uint32 p_index, const service_ptr_t<service_base>& p_callback) {
        execute(p_index, calling_form::by_value_copy<service_base>(p_callback));
    }
#endif

protected:
    ~mainmenu_commands() = default;
};

inline const GUID mainmenu_commands::class_guid = {
    0x35077B8C, 0x6E70, 0x47BA, {0xB9, 0xDD, 0xD5, 0x15, 0x00, 0xE1, 0x2F, 0x2E}};

namespace mainmenu_groups {
inline constexpr GUID view = {0xF8BE5604, 0x165F, 0x4BB9, {0xB6, 0xA9, 0x15, 0xE5, 0x5E, 0x0E, 0x0D, 0x3A}};
}
