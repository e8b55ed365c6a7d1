/* The half of the edge built in Microsoft's C++ binary interface
 * (edge_msvc.cpp, compiled by clang for the MSVC targets), as the GCC half
 * (edge.h) calls it: plain C, which both compilers call alike. Windows only.
 *
 * An exception never unwinds through a frame built for the other mechanism.
 * A call into the other party runs inside sorvale_edge_call, whose frame
 * catches what the other party throws and hands it back as data; an error of
 * ours leaves through sorvale_edge_throw, called as the last act of the slot
 * the other party called. An exception object of the other party's is kept
 * (copied as its runtime copies it to rethrow), so that it can go back to the
 * other party as itself. */
#ifndef SORVALE_BOUNDARY_EDGE_MSVC_H
#define SORVALE_BOUNDARY_EDGE_MSVC_H

#ifdef __cplusplus
extern "C" {
#endif

/* The error tree both parties know, by the most derived type of it an error
 * has. */
enum sorvale_edge_kind {
    sorvale_edge_none = 0,
    sorvale_edge_exception,          /* std::exception, message its own */
    sorvale_edge_bad_alloc,          /* std::bad_alloc, "bad allocation" */
    sorvale_edge_overflow,           /* pfc::exception_overflow, "Overflow" */
    sorvale_edge_bug_check,          /* pfc::exception_bug_check, "Bug check" */
    sorvale_edge_service_not_found,  /* "Service not found" */
    sorvale_edge_service_duplicated, /* "Service duplicated" */
    sorvale_edge_io,                 /* foobar2000_io::exception_io, message its own */
    sorvale_edge_io_data,            /* foobar2000_io::exception_io_data, message its own */
    sorvale_edge_io_data_truncation, /* "Unsupported format or corrupted file" */
    sorvale_edge_unknown             /* not a std::exception at all */
};

/* A copy of the other party's exception object, counted: every holder owns
 * one reference, the last drop destroys and frees it. */
struct sorvale_edge_kept;

struct sorvale_edge_error {
    int kind;
    /* What the error says: a static text, or (with kept) the kept object's own
     * text, valid while the reference is held. */
    const char* message;
    /* One reference, or null for an error of ours. */
    struct sorvale_edge_kept* kept;
};

/* Runs fn(context), a call into the other party. Answers sorvale_edge_none,
 * or the kind of the exception that left fn with *error describing it (kept
 * holds one reference). */
int sorvale_edge_call(void (*fn)(void*), void* context, struct sorvale_edge_error* error);

/* Throws *error in Microsoft's form and never returns: the kept object as
 * itself, else a new object of the kind with the message. Takes over the
 * reference. */
#ifdef __cplusplus
[[noreturn]]
#endif
void sorvale_edge_throw(struct sorvale_edge_error* error);

void sorvale_edge_keep(struct sorvale_edge_kept* kept);
void sorvale_edge_drop(struct sorvale_edge_kept* kept);

/* A slot of ours begins: answers whether it was called by our own code
 * (inside another slot's body, with no call to the other party in between)
 * rather than by the other party. Each call is paired with
 * sorvale_edge_leave. Per thread. */
int sorvale_edge_enter(void);
void sorvale_edge_leave(void);

#ifdef __cplusplus
}
#endif

#endif
