// The one place for reporting. Every check prints one line, "ok: NAME" or
// "FAIL: NAME: what differed", and the run ends with "N of M checks passed".
// Each check runs inside a structured-exception guard: an exception no C++
// handler here can catch (GCC's, code 0x20474343, or an access violation)
// fails that check and the run goes on, so it always ends with its count.
#pragma once

#include "runtime.h"

class check_result {
public:
    // Keeps the first difference; the later ones are only counted.
    void fail(const char* p_format, ...) __attribute__((format(printf, 2, 3)));
    // Fails with the message when p_ok is false; answers p_ok.
    bool expect(bool p_ok, const char* p_format, ...) __attribute__((format(printf, 3, 4)));
    bool passed() const { return m_failures == 0; }
    const char* detail() const { return m_detail; }
    int failures() const { return m_failures; }

private:
    void note(const char* p_format, va_list p_args);

    char m_detail[480] = {};
    int m_failures = 0;
};

using check_body = void (*)(void* p_context, check_result& p_result);
void run_check(const char* p_name, check_body p_body, void* p_context);
// A check that cannot run here: one line, counted apart from the others.
void skip_check(const char* p_name, const char* p_why);
// Prints the count; the exit status: 0 all passed, 1 a failure, 77 (CTest's
// skip) all that ran passed but some could not run.
int finish_checks();

template <typename F>
void check(const char* p_name, F&& p_body) {
    run_check(
        p_name, [](void* p_context, check_result& p_result) { (*static_cast<F*>(p_context))(p_result); },
        const_cast<void*>(static_cast<const void*>(&p_body)));
}

// Runs p_call, which must throw E; hands the caught object to p_inspect, or
// says what came instead.
template <typename E, typename F, typename G>
void expect_throws(check_result& p_result, const char* p_what, F&& p_call, G&& p_inspect) {
    try {
        p_call();
    } catch (const E& error) {
        p_inspect(error);
        return;
    } catch (...) {
        try {
            throw;
        } catch (const std::exception& other) {
            p_result.fail("%s threw another error (\"%s\")", p_what, other.what());
        } catch (...) {
            p_result.fail("%s threw something that is no std::exception", p_what);
        }
        return;
    }
    p_result.fail("%s threw nothing", p_what);
}

// Runs p_call, which must throw E with the message p_message.
template <typename E, typename F>
void expect_error(check_result& p_result, const char* p_what, const char* p_message, F&& p_call) {
    expect_throws<E>(p_result, p_what, p_call, [&](const E& error) {
        p_result.expect(strcmp(error.what(), p_message) == 0, "%s: what() is \"%s\", not \"%s\"", p_what,
                        error.what(), p_message);
    });
}
