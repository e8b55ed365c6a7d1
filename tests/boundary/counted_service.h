#pragma once

#include "boundary/service.h"

// A service whose references are really counted, for checking that every
// handle gives back what it took.
template <typename I>
class counted_service : public I {
public:
    t_int32 service_add_ref() noexcept override { return ++m_calls, ++m_count; }
    t_int32 service_release() noexcept override { return ++m_calls, --m_count; }
    t_int32 count() const { return m_count; }
    // Add-refs and releases made so far, to show where a handle moved instead.
    int calls() const { return m_calls; }

private:
    t_int32 m_count = 0;
    int m_calls = 0;
};

class test_interface : public service_base {
    SORVALE_INTERFACE(test_interface)
};
inline const GUID test_interface::class_guid = {0x01020304, 0x0506, 0x0708, {1, 2, 3, 4, 5, 6, 7, 8}};

class other_interface : public service_base {
    SORVALE_INTERFACE(other_interface)
};
inline const GUID other_interface::class_guid = {0x01020304, 0x0506, 0x0708, {1, 2, 3, 4, 5, 6, 7, 9}};
