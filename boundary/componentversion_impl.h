#pragma once

#include "boundary/componentversion.h"
#include "boundary/service_factory.h"

// Three fixed texts, each may be absent (reported as the empty text); the
// file name is the one the host last gave the client object. The texts are
// borrowed, so they must be static.
class componentversion_impl_simple : public componentversion {
public:
    componentversion_impl_simple(const char* p_name, const char* p_version, const char* p_about) noexcept
        : m_name(p_name), m_version(p_version), m_about(p_about) {}

    void get_file_name(pfc::string_base& out) override;
    void get_component_name(pfc::string_base& out) override;
    void get_component_version(pfc::string_base& out) override;
    void get_about_message(pfc::string_base& out) override;

private:
    const char* const m_name;
    const char* const m_version;
    const char* const m_about;
};

// At once the factory the host finds in the list and the service it hands out.
class componentversion_impl_simple_factory
    : public service_factory_single_transparent_t<componentversion_impl_simple> {
public:
    componentversion_impl_simple_factory(const char* p_name, const char* p_version, const char* p_about) noexcept
        : service_factory_single_transparent_t<componentversion_impl_simple>(p_name, p_version, p_about) {}
};
