#pragma once

#include "support/types.h"

// The UTF-8 text sink through which all text crosses between the host and the
// component. Lengths count bytes without the NUL; a length bounds a text (the
// first NUL ends it earlier), so pfc::infinite_size takes the whole text.
// Neither interface has a destructor among its slots: the owner destroys a
// sink as its own concrete type. A sink passed to a call is borrowed for it
// and used on its thread. Slots that change the text may throw: the
// component's buffers std::bad_alloc, with the text as it was; the host's
// sinks their own errors. get_ptr and get_length never throw.
namespace pfc {

class string_receiver {
public:
    // Appends at most p_length bytes of p_string (null counts as empty).
    virtual void add_string(const char* p_string, t_size p_length = infinite_size) = 0;

protected:
    ~string_receiver() = default;
};

class string_base : public string_receiver {
public:
    // The NUL-terminated text; never null. Valid until the next change.
    virtual const char* get_ptr() const = 0;
    // Replaces the text with at most p_length bytes of p_string (null counts as empty).
    virtual void set_string(const char* p_string, t_size p_length = infinite_size) = 0;
    // Shortens the text to len bytes; a longer len changes nothing.
    virtual void truncate(t_size len) = 0;
    virtual t_size get_length() const = 0;
    // A writable, zeroed block of at least n + 1 bytes; call unlock_buffer after writing.
    virtual char* lock_buffer(t_size n) = 0;
    // Takes the text written into the locked block, up to its first NUL.
    virtual void unlock_buffer() = 0;

protected:
    ~string_base() = default;
};

}  // namespace pfc
