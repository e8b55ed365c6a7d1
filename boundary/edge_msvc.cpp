// The half of the edge that speaks Microsoft's C++ exceptions. Compiled by
// clang for the MSVC targets (cmake/msvc_mode.cmake) with no C++ standard
// library: the error types the other party catches are declared with
// Microsoft's layout and names (msvc_error_tree.h), and msvcrt.dll is the C
// runtime.
//
// Microsoft's exceptions are SEH exceptions with the code 0xE06D7363 whose
// record carries the thrown object, its throw information (destructor and
// the list of catchable types: the type and each public base, each with its
// decorated name, size and copy constructor) and, on x64, the image base the
// throw information's offsets count from. Catches match by decorated name, so
// two modules' alike-named types match: a type declared here as
// foobar2000_io::exception_io_data is the host's.

#include "boundary/edge_msvc.h"
#include "boundary/msvc_error_tree.h"

using uintptr = __UINTPTR_TYPE__;

extern "C" {
int strcmp(const char*, const char*);
[[noreturn]] void __stdcall _CxxThrowException(void* p_object, const void* p_throw_info);
}

// What a scalar deleting destructor calls; nothing here news an error object.
void operator delete(void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }

// The type descriptors clang writes for the thrown types point at type_info's
// table, which the runtime never reads while throwing or catching.
extern "C" const void* const sorvale_type_info_table[1] __asm__("??_7type_info@@6B@") = {nullptr};

namespace {

// Microsoft's exception records and throw information. On x64 the pointers in
// the throw information are 32-bit offsets from the thrower's image base; on
// x86 they are addresses.
constexpr unsigned long cxx_exception_code = 0xE06D7363u;

struct exception_record {
    unsigned long code;
    unsigned long flags;
    exception_record* next;
    void* address;
    unsigned long parameter_count;
    uintptr parameters[15];  // magic, object, throw information, image base (x64)
};
struct exception_pointers {
    exception_record* record;
    void* context;
};

#if defined(_WIN64)
using image_offset = int;
#define SORVALE_CALL
#else
using image_offset = uintptr;
#define SORVALE_CALL __thiscall
#endif

struct throw_info {
    unsigned attributes;
    image_offset destructor;
    image_offset forward_compatibility;
    image_offset catchable_types;
};
struct catchable_type {
    unsigned properties;  // 4: has a virtual base, whose copy constructor takes a flag
    image_offset type;
    int this_offset, vbase_table_offset, vbase_offset;  // where this type's part of the object lies
    unsigned size;
    image_offset copy;
};
struct type_descriptor {
    const void* table;
    void* spare;
    char name[1];
};
constexpr unsigned catchable_has_virtual_base = 4;

using destructor_fn = void(SORVALE_CALL*)(void*);
using copy_fn = void(SORVALE_CALL*)(void*, const void*);
using copy_virtual_base_fn = void(SORVALE_CALL*)(void*, const void*, int);

template <typename T>
const T* at(const char* p_image, image_offset p_offset) {
#if defined(_WIN64)
    return reinterpret_cast<const T*>(p_image + p_offset);
#else
    (void)p_image;
    return reinterpret_cast<const T*>(p_offset);
#endif
}

// The catchable types of a throw: the thrown type first, then its bases.
struct catchables {
    const char* image;
    const throw_info* info;

    int count() const { return *at<int>(image, info->catchable_types); }
    const catchable_type& operator[](int p_index) const {
        const auto* list = reinterpret_cast<const image_offset*>(at<int>(image, info->catchable_types) + 1);
        return *at<catchable_type>(image, list[p_index]);
    }
    const char* name(int p_index) const { return at<type_descriptor>(image, (*this)[p_index].type)->name; }
};

// Decorated names of the error tree, most derived first: the kind of an error
// is that of the first of these among its catchable types.
struct named_kind {
    const char* name;
    int kind;
};
constexpr named_kind known_types[] = {
    {".?AVexception_io_data_truncation@foobar2000_io@@", sorvale_edge_io_data_truncation},
    {".?AVexception_io_data@foobar2000_io@@", sorvale_edge_io_data},
    {".?AVexception_io@foobar2000_io@@", sorvale_edge_io},
    {".?AVbad_alloc@std@@", sorvale_edge_bad_alloc},
    {".?AVexception_overflow@pfc@@", sorvale_edge_overflow},
    {".?AVexception_bug_check@pfc@@", sorvale_edge_bug_check},
    {".?AVexception_service_not_found@@", sorvale_edge_service_not_found},
    {".?AVexception_service_duplicated@@", sorvale_edge_service_duplicated},
    {".?AVexception@std@@", sorvale_edge_exception},
};

}  // namespace

// The kept copy: its throw information (and the image it is read from), its
// text, and the object's bytes. Objects are rarely big; their alignment is at
// most 16.
struct sorvale_edge_kept {
    int references;
    const char* image;
    const throw_info* info;
    const char* message;
    alignas(16) unsigned char object[1];
};

namespace {

sorvale_edge_kept* new_kept(unsigned p_size) {
    void* block = malloc(__builtin_offsetof(sorvale_edge_kept, object) + p_size);
    return static_cast<sorvale_edge_kept*>(block);
}

// Copies p_source as the runtime copies an exception object: through the
// thrown type's copy constructor, or its bytes when it has none.
void copy_object(const catchable_type& p_type, const char* p_image, void* p_target, const void* p_source) {
    if (p_type.copy == 0) {
        memcpy(p_target, p_source, p_type.size);
    } else if (p_type.properties & catchable_has_virtual_base) {
        reinterpret_cast<copy_virtual_base_fn>(const_cast<void*>(at<void>(p_image, p_type.copy)))(p_target, p_source, 1);
    } else {
        reinterpret_cast<copy_fn>(const_cast<void*>(at<void>(p_image, p_type.copy)))(p_target, p_source);
    }
}

void destroy_object(const throw_info& p_info, const char* p_image, void* p_object) {
    if (p_info.destructor != 0)
        reinterpret_cast<destructor_fn>(const_cast<void*>(at<void>(p_image, p_info.destructor)))(p_object);
}

// The message of an object that is a std::exception: its what(), through
// its table (slot 1), from the std::exception part of it.
const char* message_of(const catchables& p_types, const void* p_object) {
    for (int i = 0; i < p_types.count(); ++i) {
        if (strcmp(p_types.name(i), ".?AVexception@std@@") != 0) continue;
        const auto* part = static_cast<const std::exception*>(
            static_cast<const void*>(static_cast<const char*>(p_object) + p_types[i].this_offset));
        return part->what();
    }
    return nullptr;
}

int kind_of(const catchables& p_types) {
    for (const named_kind& known : known_types) {
        for (int i = 0; i < p_types.count(); ++i) {
            if (strcmp(p_types.name(i), known.name) == 0) return known.kind;
        }
    }
    return sorvale_edge_unknown;
}

// Per thread: how many slot bodies of ours are running with no call to the
// other party begun since. 0 means the next slot called is the other party's
// call. x64 keeps it in the image's own thread storage; on x86 clang reaches
// that through an absolute offset that GNU ld relocates when the DLL is
// loaded elsewhere than its preferred base, so there it lives in a slot of
// the system's thread storage, allocated at the first use.
#if defined(_WIN64)
__declspec(thread) int t_depth = 0;
int depth() { return t_depth; }
void set_depth(int p_depth) { t_depth = p_depth; }
#else
extern "C" {
__declspec(dllimport) unsigned long __stdcall TlsAlloc(void);
__declspec(dllimport) int __stdcall TlsFree(unsigned long);
__declspec(dllimport) void* __stdcall TlsGetValue(unsigned long);
__declspec(dllimport) int __stdcall TlsSetValue(unsigned long, void*);
}
constexpr long no_index = -1;
volatile long g_depth_index = no_index;
unsigned long depth_index() {
    const long index = g_depth_index;
    if (index != no_index) return static_cast<unsigned long>(index);
    const auto fresh = static_cast<long>(TlsAlloc());
    const long earlier = _InterlockedCompareExchange(&g_depth_index, fresh, no_index);
    if (earlier == no_index) return static_cast<unsigned long>(fresh);
    TlsFree(static_cast<unsigned long>(fresh));
    return static_cast<unsigned long>(earlier);
}
int depth() { return static_cast<int>(reinterpret_cast<uintptr>(TlsGetValue(depth_index()))); }
void set_depth(int p_depth) { TlsSetValue(depth_index(), reinterpret_cast<void*>(static_cast<uintptr>(p_depth))); }
#endif

// Runs in the search pass, while the thrower's frame still holds the object:
// keeps a copy of a C++ exception and destroys the original (once a handler
// that is not a catch block takes an exception, nobody else does), then
// answers "handle it here". Anything else (an access violation, another
// runtime's exception) goes on searching.
int keep(const exception_pointers* p_pointers, sorvale_edge_error* p_error) {
    const exception_record& record = *p_pointers->record;
    if (record.code != cxx_exception_code || record.parameter_count < 3) return 0;
    void* object = reinterpret_cast<void*>(record.parameters[1]);
    const auto* info = reinterpret_cast<const throw_info*>(record.parameters[2]);
#if defined(_WIN64)
    const char* image = record.parameter_count >= 4 ? reinterpret_cast<const char*>(record.parameters[3]) : nullptr;
#else
    const char* image = nullptr;
#endif
    p_error->kind = sorvale_edge_unknown;
    p_error->message = "Unknown exception";
    p_error->kept = nullptr;
    // A rethrow ("throw;") names no object: there is nothing to keep.
    if (object == nullptr || info == nullptr) return 1;

    const catchables types{image, info};
    sorvale_edge_kept* kept = new_kept(types[0].size);
    if (kept != nullptr) {
        kept->references = 1;
        kept->image = image;
        kept->info = info;
        copy_object(types[0], image, kept->object, object);
        kept->message = message_of(types, kept->object);
        p_error->kind = kind_of(types);
        p_error->kept = kept;
        if (kept->message != nullptr) p_error->message = kept->message;
    } else {
        // No memory left to keep it: what goes back is running out of memory.
        p_error->kind = sorvale_edge_bad_alloc;
        p_error->message = "bad allocation";
    }
    destroy_object(*info, image, object);
    return 1;
}

}  // namespace

extern "C" int sorvale_edge_call(void (*fn)(void*), void* context, sorvale_edge_error* error) {
    const int outer = depth();
    set_depth(0);
    __try {
        fn(context);
    } __except (keep(static_cast<const exception_pointers*>(_exception_info()), error)) {
        set_depth(outer);
        return error->kind;
    }
    set_depth(outer);
    return sorvale_edge_none;
}

extern "C" void sorvale_edge_keep(sorvale_edge_kept* kept) { ++kept->references; }

extern "C" void sorvale_edge_drop(sorvale_edge_kept* kept) {
    if (--kept->references > 0) return;
    destroy_object(*kept->info, kept->image, kept->object);
    free(kept);
}

extern "C" int sorvale_edge_enter(void) {
    const int outer = depth();
    set_depth(outer + 1);
    return outer > 0;
}

extern "C" void sorvale_edge_leave(void) { set_depth(depth() - 1); }

extern "C" void sorvale_edge_throw(sorvale_edge_error* error) {
    if (sorvale_edge_kept* kept = error->kept) {
        // The object thrown lives in this frame, as a thrown object lives in
        // its thrower's, until the catch that takes it ends: a copy of the
        // kept one, which is then let go.
        const catchables types{kept->image, kept->info};
        void* object = __builtin_alloca(types[0].size + 16);
        object = reinterpret_cast<void*>((reinterpret_cast<uintptr>(object) + 15) & ~uintptr{15});
        copy_object(types[0], kept->image, object, kept->object);
        const throw_info* info = kept->info;
        sorvale_edge_drop(kept);
        _CxxThrowException(object, info);
    }
    const char* message = error->message;
    switch (error->kind) {
        case sorvale_edge_bad_alloc: throw std::bad_alloc();
        case sorvale_edge_overflow: throw pfc::exception_overflow();
        case sorvale_edge_bug_check: throw pfc::exception_bug_check();
        case sorvale_edge_service_not_found: throw exception_service_not_found();
        case sorvale_edge_service_duplicated: throw exception_service_duplicated();
        case sorvale_edge_io_data_truncation: throw foobar2000_io::exception_io_data_truncation();
        case sorvale_edge_io_data: throw foobar2000_io::exception_io_data(message);
        case sorvale_edge_io: throw foobar2000_io::exception_io(message);
        default: throw std::exception(message, true);
    }
}
