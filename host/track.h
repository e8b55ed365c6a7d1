#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "integration/metadb_handle.h"

namespace host {

// A track's information: fields in the order they were added, names matched
// without regard to ASCII case, each with one or more values kept as the
// bytes they were given (never checked as UTF-8).
class track_info : public file_info {
public:
    track_info() = default;
    track_info(const track_info&) = default;
    track_info& operator=(const track_info&) = default;
    ~track_info() = default;

    // Adds p_value to the field p_name, creating the field on first use.
    void add_value(std::string_view p_name, std::string p_value);

    // The three lookups allocate nothing and raise nothing, so components
    // call them with no edge between (edge.h).
    t_size meta_find_field(const char* p_name, t_size p_name_length) const noexcept override;
    // 0 for an index that names no field.
    t_size meta_value_count(t_size p_field) const noexcept override;
    // Null for an index that names no field or value.
    const char* meta_value_at(t_size p_field, t_size p_index) const noexcept override;

private:
    struct field {
        std::string name;
        // The name with A-Z in lower case: a lookup folds only the name it
        // was asked.
        std::string key;
        // False for a name with a NUL byte in it: a name asked for ends at
        // its first NUL, so none is that one.
        bool findable;
        std::vector<std::string> values;
    };
    std::vector<field> m_fields;
};

// One track of the host's library. The library owns it; the references that
// components and the queue take are counted, so a test can see each one come
// back. Over-releases and unbalanced unlocks are counted too, never acted on.
class track : public metadb_handle {
public:
    // p_readable false: peek_info answers no, as for a file the host cannot read.
    track(std::string p_path, track_info p_info, bool p_readable = true)
        : m_path(std::move(p_path)), m_info(std::move(p_info)), m_readable(p_readable) {}
    track(const track&) = delete;
    track& operator=(const track&) = delete;
    // Virtual: a test may watch a track through a class of its own.
    virtual ~track() = default;

    t_int32 service_release() noexcept override;
    t_int32 service_add_ref() noexcept override;

    void lock_info() override { ++m_lock_depth; }
    bool peek_info(const file_info*& p_info) noexcept override;
    void unlock_info() override;

    const std::string& path() const { return m_path; }
    const track_info& info() const { return m_info; }
    bool readable() const { return m_readable; }

    t_int32 references() const { return m_references; }
    t_int32 lock_depth() const { return m_lock_depth; }
    // Releases without a reference and unlocks without a lock: each is a bug
    // of whoever called.
    unsigned misuses() const { return m_misuses; }

private:
    std::string m_path;
    track_info m_info;
    bool m_readable;
    t_int32 m_references = 0;
    t_int32 m_lock_depth = 0;
    unsigned m_misuses = 0;
};

}  // namespace host
