#pragma once

#include <exception>
#include <type_traits>
#include <utility>

#include "boundary/calling_form.h"
#include "support/exceptions.h"

#if SORVALE_MSVC_ABI
#include "boundary/edge_msvc.h"
#endif

// The edge: where the component and its host call each other, and where
// their exceptions must not cross. On Windows the host's exceptions are
// Microsoft's, ours are GCC's, and neither mechanism unwinds the other's
// frames (an MSVC exception skips our clean-ups, so references leak; one of
// ours reaching the host is never caught). So:
//
//   edge::inbound(body)   runs the body of a slot the other party called.
//                         What it raises leaves as the same type in
//                         Microsoft's form, so the other party catches it by
//                         type as it would its own.
//   edge::outbound(call)  runs one call into an object of the other party.
//                         What that raises comes back as one of ours: a GCC
//                         exception of the same place in the error tree
//                         (exception_io_data stays an exception_io_data, so
//                         the configuration reader drops it as it must),
//                         carrying the other party's object, which is thrown
//                         again as itself when the error goes back out
//                         through an inbound.
//
// Between them our clean-ups run as usual: every counted reference is
// released, also when the other party's error passes. Elsewhere (Linux, where
// one compiler builds both parties) both run their function as it is.
//
// Rules for the functions given:
//   - An outbound call is just the call: no object with a destructor is alive
//     in it and nothing of ours runs in it that can throw, because the other
//     party's exception passes its frame on the way to the edge's catch.
//   - An inbound body is the whole slot. The slot does nothing after it but
//     return its result, because our exception is thrown from the slot's own
//     frame on its way out.
//   - A slot of ours called by our own code (one slot's body calling another,
//     or an object of ours called through an interface) needs nothing: the
//     edge knows it is nested and lets our exceptions pass as they are.
//   - A slot of ours that raises nothing (it allocates nothing and calls
//     nothing that raises) needs no inbound: nothing can leave it. The
//     busiest slots are such (reading a list element, a track's fields), and
//     an inbound costs a few nanoseconds a call.
//
// Which objects are the other party's is known where they come in: the
// arguments of a slot the other party called, and what its calls hand back.
// edge::foreign<I> presents such an object to our code (each slot an
// outbound), edge::facing<I> presents one of ours to the other party (each
// slot an inbound); elsewhere both are the object itself. The interfaces'
// headers next to their edge forms (edge_streams.h, edge_text.h, ...) give
// them.

namespace edge {

#if SORVALE_MSVC_ABI

namespace detail {

// The result of a call, whatever its type (void included).
template <typename R>
struct result {
    R value;
    template <typename F>
    void run(F& p_function) {
        value = p_function();
    }
    R get() { return std::move(value); }
};
template <>
struct result<void> {
    template <typename F>
    void run(F& p_function) {
        p_function();
    }
    void get() {}
};

// A function to run and its answer, behind a plain function pointer: body
// for an inbound (run by our own catching frame), crossing for an outbound
// (run under the edge's catch, so the other party's exception passes its
// frame: it must hold nothing to clean up).
template <typename F>
struct call {
    F& function;
    result<std::invoke_result_t<F&>> answer;
    static void body(void* p_call) {
        auto& self = *static_cast<call*>(p_call);
        self.answer.run(self.function);
    }
    static void crossing(void* p_call) {
        auto& self = *static_cast<call*>(p_call);
        self.answer.run(self.function);
    }
};

// Runs a slot's body (fn with context): nested, as it is; otherwise with
// every exception turned into an edge error. Answers false with *p_error
// filled when one left it.
bool run_inbound(void (*p_fn)(void*), void* p_context, sorvale_edge_error& p_error);

// Throws p_error as one of ours: the kind's own type, carrying the kept
// object when there is one. Takes over the reference.
[[noreturn]] void raise(const sorvale_edge_error& p_error);

}  // namespace detail

template <typename F>
decltype(auto) inbound(F&& p_body) {
    detail::call<F> body{p_body, {}};
    sorvale_edge_error error;
    if (!detail::run_inbound(&detail::call<F>::body, &body, error)) sorvale_edge_throw(&error);
    return body.answer.get();
}

template <typename F>
decltype(auto) outbound(F&& p_call) {
    static_assert(std::is_trivially_destructible_v<std::remove_reference_t<F>>,
                  "an outbound call captures nothing that needs destroying");
    detail::call<F> call{p_call, {}};
    sorvale_edge_error error;
    if (sorvale_edge_call(&detail::call<F>::crossing, &call, &error) != sorvale_edge_none) detail::raise(error);
    return call.answer.get();
}

// Specialised per interface, beside it.
template <typename I>
class foreign;
template <typename I>
class facing;

#else

template <typename F>
decltype(auto) inbound(F&& p_body) {
    return p_body();
}

template <typename F>
decltype(auto) outbound(F&& p_call) {
    return p_call();
}

// The object itself. Interfaces whose slots are const (masks, sources) are
// handed over as const references; get() gives them back as they came.
template <typename I>
class foreign {
public:
    explicit foreign(I& p_object) noexcept : m_object(&p_object) {}
    explicit foreign(const I& p_object) noexcept : m_object(const_cast<I*>(&p_object)) {}
    I& get() noexcept { return *m_object; }
    const I& get() const noexcept { return *m_object; }

private:
    I* m_object;
};
template <typename I>
class facing {
public:
    explicit facing(I& p_object) noexcept : m_object(&p_object) {}
    explicit facing(const I& p_object) noexcept : m_object(const_cast<I*>(&p_object)) {}
    I& get() noexcept { return *m_object; }
    const I& get() const noexcept { return *m_object; }

private:
    I* m_object;
};

#endif

}  // namespace edge
