// Compiled by clang for the MSVC target (cmake/msvc_mode.cmake), with the
// error tree as the host declares it: the decorated names are what
// Microsoft's runtime matches, so these are the edge's own types.

#include "tests/boundary/msvc_party.h"

#include "boundary/msvc_error_tree.h"

namespace {

int g_private_errors_alive = 0;

// Errors of the party's own, which the component has never heard of. The
// private one counts its objects, so a test sees every copy destroyed.
class private_error : public std::exception {
public:
    explicit private_error(int p_code) noexcept : std::exception("private error"), code(p_code) {
        ++g_private_errors_alive;
    }
    private_error(const private_error& p_other) noexcept : std::exception(p_other), code(p_other.code) {
        ++g_private_errors_alive;
    }
    ~private_error() noexcept override { --g_private_errors_alive; }
    int code;
};
class io_data_own : public foobar2000_io::exception_io_data {
public:
    io_data_own() noexcept : exception_io_data("the party's own data error") {}
};

void copy_what(msvc_party_caught& p_caught, const std::exception& p_error) {
    const char* what = p_error.what();
    size_t length = strlen(what);
    if (length >= sizeof p_caught.what) length = sizeof p_caught.what - 1;
    memcpy(p_caught.what, what, length);
    p_caught.what[length] = '\0';
}

}  // namespace

extern "C" int msvc_party_private_errors_alive(void) { return g_private_errors_alive; }

extern "C" void msvc_party_throw(int p_error, int p_code) {
    switch (p_error) {
        case msvc_party_private: throw private_error(p_code);
        case msvc_party_io_data_own: throw io_data_own();
        case msvc_party_truncation: throw foobar2000_io::exception_io_data_truncation();
        case msvc_party_io_data: throw foobar2000_io::exception_io_data("the party's data error");
        case msvc_party_io: throw foobar2000_io::exception_io("the party's io error");
        case msvc_party_bad_alloc: throw std::bad_alloc();
        case msvc_party_overflow: throw pfc::exception_overflow();
        case msvc_party_bug_check: throw pfc::exception_bug_check();
        case msvc_party_not_found: throw exception_service_not_found();
        case msvc_party_duplicated: throw exception_service_duplicated();
        case msvc_party_exception: throw std::exception("the party's error");
        case msvc_party_not_an_exception: throw p_code;
        default: return;
    }
}

extern "C" void msvc_party_call(void (*p_fn)(void*), void* p_context, msvc_party_caught* p_caught) {
    msvc_party_caught& caught = *p_caught;
    caught = msvc_party_caught{msvc_party_nothing, 0, {}};
    try {
        p_fn(p_context);
    } catch (const private_error& e) {
        caught.error = msvc_party_private;
        caught.code = e.code;
        copy_what(caught, e);
    } catch (const io_data_own& e) {
        caught.error = msvc_party_io_data_own;
        copy_what(caught, e);
    } catch (const foobar2000_io::exception_io_data_truncation& e) {
        caught.error = msvc_party_truncation;
        copy_what(caught, e);
    } catch (const foobar2000_io::exception_io_data& e) {
        caught.error = msvc_party_io_data;
        copy_what(caught, e);
    } catch (const foobar2000_io::exception_io& e) {
        caught.error = msvc_party_io;
        copy_what(caught, e);
    } catch (const std::bad_alloc& e) {
        caught.error = msvc_party_bad_alloc;
        copy_what(caught, e);
    } catch (const pfc::exception_overflow& e) {
        caught.error = msvc_party_overflow;
        copy_what(caught, e);
    } catch (const pfc::exception_bug_check& e) {
        caught.error = msvc_party_bug_check;
        copy_what(caught, e);
    } catch (const exception_service_not_found& e) {
        caught.error = msvc_party_not_found;
        copy_what(caught, e);
    } catch (const exception_service_duplicated& e) {
        caught.error = msvc_party_duplicated;
        copy_what(caught, e);
    } catch (const std::exception& e) {
        caught.error = msvc_party_exception;
        copy_what(caught, e);
    } catch (int code) {
        caught.error = msvc_party_not_an_exception;
        caught.code = code;
    }
}
