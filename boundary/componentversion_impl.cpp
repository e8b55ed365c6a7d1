#include "boundary/componentversion_impl.h"

#include "boundary/edge_text.h"
#include "boundary/globals.h"

namespace {

// The sink is the host's.
void put(pfc::string_base& out, const char* p_text) {
    edge::foreign<pfc::string_base> sink(out);
    sink.get().set_string(p_text != nullptr ? p_text : "", pfc::infinite_size);
}

}  // namespace

void componentversion_impl_simple::get_file_name(pfc::string_base& out) {
    edge::inbound([&] { put(out, g_name.get_ptr()); });
}

void componentversion_impl_simple::get_component_name(pfc::string_base& out) {
    edge::inbound([&] { put(out, m_name); });
}

void componentversion_impl_simple::get_component_version(pfc::string_base& out) {
    edge::inbound([&] { put(out, m_version); });
}

void componentversion_impl_simple::get_about_message(pfc::string_base& out) {
    edge::inbound([&] { put(out, m_about); });
}
