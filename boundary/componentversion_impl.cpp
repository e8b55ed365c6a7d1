#include "boundary/componentversion_impl.h"

#include "boundary/globals.h"

namespace {

void put(pfc::string_base& out, const char* p_text) { out.set_string(p_text != nullptr ? p_text : "", pfc::infinite_size); }

}  // namespace

void componentversion_impl_simple::get_file_name(pfc::string_base& out) { put(out, g_name.get_ptr()); }

void componentversion_impl_simple::get_component_name(pfc::string_base& out) { put(out, m_name); }

void componentversion_impl_simple::get_component_version(pfc::string_base& out) { put(out, m_version); }

void componentversion_impl_simple::get_about_message(pfc::string_base& out) { put(out, m_about); }
