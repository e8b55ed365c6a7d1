/* A party built in Microsoft's C++ ABI, as the host is (msvc_party.cpp),
 * for the edge's tests: it throws errors of its own and catches by type.
 * Plain C, which both compilers call alike. */
#ifndef SORVALE_TESTS_MSVC_PARTY_H
#define SORVALE_TESTS_MSVC_PARTY_H

#ifdef __cplusplus
extern "C" {
#endif

/* What the party throws or caught. */
enum msvc_party_error {
    msvc_party_nothing = 0,
    msvc_party_private,          /* its own type, derived from std::exception, carrying a code */
    msvc_party_io_data_own,      /* its own type derived from foobar2000_io::exception_io_data */
    msvc_party_truncation,       /* foobar2000_io::exception_io_data_truncation */
    msvc_party_io_data,          /* foobar2000_io::exception_io_data */
    msvc_party_io,               /* foobar2000_io::exception_io */
    msvc_party_bad_alloc,        /* std::bad_alloc */
    msvc_party_overflow,         /* pfc::exception_overflow */
    msvc_party_bug_check,        /* pfc::exception_bug_check */
    msvc_party_not_found,        /* exception_service_not_found */
    msvc_party_duplicated,       /* exception_service_duplicated */
    msvc_party_exception,        /* std::exception */
    msvc_party_not_an_exception  /* an int */
};

/* How many of its private error objects exist now. */
int msvc_party_private_errors_alive(void);

/* Throws the error, with p_code in a private one. */
void msvc_party_throw(int p_error, int p_code);

struct msvc_party_caught {
    int error;        /* the first of the party's catch blocks, in the order above, that took it */
    int code;         /* a private error's code */
    char what[128];   /* what(), for the std::exception family */
};

/* Calls fn(context) and tells in *p_caught what came out of it. */
void msvc_party_call(void (*p_fn)(void*), void* p_context, struct msvc_party_caught* p_caught);

#ifdef __cplusplus
}
#endif

#endif
