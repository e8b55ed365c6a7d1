#include "check.h"

namespace {

int g_passed = 0;
int g_failed = 0;
int g_skipped = 0;

// What an exception that ends a check was.
struct escaped {
    DWORD code = 0;
    const char* type = nullptr;  // the decorated name of a C++ exception's type
};

// The decorated name of the thrown object's type: the first catchable type
// in the throw information, whose fields are offsets from the thrower's
// image (parameter 3) on x64 and plain addresses on x86.
const char* thrown_type(const EXCEPTION_RECORD& p_record) {
    if (p_record.NumberParameters < 3) return nullptr;
    const uintptr_t base = p_record.NumberParameters >= 4 ? p_record.ExceptionInformation[3] : 0;
    auto field = [base](uintptr_t p_at) -> uintptr_t {
        int32_t value;
        memcpy(&value, reinterpret_cast<const void*>(p_at), 4);
        return base != 0 ? base + static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    };
    const uintptr_t throw_info = p_record.ExceptionInformation[2];
    if (throw_info == 0) return nullptr;
    const uintptr_t types = field(throw_info + 12);
    const uintptr_t first = field(types + 4);
    const uintptr_t descriptor = field(first + 4);
    return reinterpret_cast<const char*>(descriptor + 2 * sizeof(void*));
}

int take(EXCEPTION_POINTERS* p_exception, escaped* p_escaped) {
    EXCEPTION_RECORD& record = *p_exception->ExceptionRecord;
    p_escaped->code = record.ExceptionCode;
    if (record.ExceptionCode == code_msvc_exception) p_escaped->type = thrown_type(record);
    // libgcc's frame handlers act in an unwind only on their own codes: under
    // GCC's, a clean-up of theirs would take the unwind over and resume it
    // towards a handler of GCC's that does not exist. Under another code they
    // let it pass, their clean-ups skipped, down to the handler below.
    if ((record.ExceptionCode & 0x20FFFFFFu) == code_gcc_exception) record.ExceptionCode = 0xE0000001u;
    return 1;  // execute the handler: the check is over
}

// abort() raises SIGABRT first, through msvcrt.dll, which the component
// shares: the check running then ends with an exception of ours instead of
// the process. That is how a 32-bit GCC exception ends in an MSVC-built host:
// GCC's unwinder (DWARF tables) finds no way through the host's frames and
// calls std::terminate, which aborts.
void on_abort(int) {
    signal(SIGABRT, on_abort);
    RaiseException(code_abort, 1, 0, nullptr);  // non-continuable
}

// No C++ object may live in a function that holds __try.
bool run_guarded(check_body p_body, void* p_context, check_result& p_result, escaped* p_escaped) {
    __try {
        p_body(p_context, p_result);
        return true;
    } __except (take(static_cast<EXCEPTION_POINTERS*>(_exception_info()), p_escaped)) {
        return false;
    }
}

}  // namespace

void check_result::note(const char* p_format, va_list p_args) {
    // Only the first two differences are spelled out: the rest mostly follow from them.
    if (m_failures++ >= 2) return;
    size_t used = strlen(m_detail);
    if (used != 0 && used + 3 < sizeof m_detail) {
        memcpy(m_detail + used, "; ", 3);
        used += 2;
    }
    _vsnprintf(m_detail + used, sizeof m_detail - used - 1, p_format, p_args);
}

void check_result::fail(const char* p_format, ...) {
    va_list args;
    va_start(args, p_format);
    note(p_format, args);
    va_end(args);
}

bool check_result::expect(bool p_ok, const char* p_format, ...) {
    if (p_ok) return true;
    va_list args;
    va_start(args, p_format);
    note(p_format, args);
    va_end(args);
    return false;
}

void run_check(const char* p_name, check_body p_body, void* p_context) {
    check_result result;
    escaped exception;
    signal(SIGABRT, on_abort);
    if (!run_guarded(p_body, p_context, result, &exception)) {
        if ((exception.code & 0x20FFFFFFu) == code_gcc_exception)
            result.fail("a GCC exception (code 0x%08lX) reached the host, which cannot catch it", exception.code);
        else if (exception.code == code_abort)
            result.fail("abort() was called (on x86, what GCC's runtime does with an exception it cannot unwind)");
        else if (exception.code == code_msvc_exception)
            result.fail("a C++ exception nobody here expected (%s) reached the host",
                        exception.type != nullptr ? exception.type : "of a type not told");
        else
            result.fail("system exception 0x%08lX", exception.code);
    }
    if (result.passed()) {
        ++g_passed;
        printf("ok: %s\n", p_name);
    } else {
        ++g_failed;
        printf("FAIL: %s: %s\n", p_name, result.detail());
    }
    fflush(nullptr);
}

void skip_check(const char* p_name, const char* p_why) {
    ++g_skipped;
    printf("skipped: %s: %s\n", p_name, p_why);
    fflush(nullptr);
}

int finish_checks() {
    printf("%d of %d checks passed", g_passed, g_passed + g_failed);
    if (g_skipped != 0) printf(", %d skipped", g_skipped);
    printf("\n");
    fflush(nullptr);
    if (g_failed != 0) return 1;
    return g_skipped != 0 ? 77 : 0;
}
