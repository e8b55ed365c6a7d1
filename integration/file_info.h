#pragma once

#include "support/types.h"

// A track's information as the host gives it: fields by name, several values
// per field, values as NUL-terminated UTF-8 that nothing has checked. The
// host owns it and the texts it answers; they stay valid while its track is
// locked. [ui-thread, between lock_info and unlock_info] [throws: nothing the
// component expects; an error passes to the caller, the track unlocked]
class file_info {
public:
    static constexpr t_size field_not_found = 0xFFFFFFFFu;

    // The field's index, or field_not_found. p_name_length bounds the name
    // (pfc::infinite_size: up to its NUL).
    virtual t_size meta_find_field(const char* p_name, t_size p_name_length) const = 0;
    // p_field: an index meta_find_field answered.
    virtual t_size meta_value_count(t_size p_field) const = 0;
    // Value p_index of field p_field; p_index must be below the value count.
    virtual const char* meta_value_at(t_size p_field, t_size p_index) const = 0;

    // Value p_index of the named field, or null when the field or the value
    // is missing. Carried by the caller's side, not a slot, so it asks only
    // for what exists.
    const char* meta_get_ex(const char* p_name, t_size p_name_length, t_size p_index) const {
        const t_size field = meta_find_field(p_name, p_name_length);
        if (field == field_not_found) return nullptr;
        if (p_index >= meta_value_count(field)) return nullptr;
        return meta_value_at(field, p_index);
    }

protected:
    ~file_info() = default;
};
