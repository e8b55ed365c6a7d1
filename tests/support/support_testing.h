#pragma once

// Instruments shared by the support library's tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#if defined(_WIN32)
extern "C" {
// From <memoryapi.h>, declared here: <windows.h> brings a GUID of its own.
__declspec(dllimport) void* __stdcall VirtualAlloc(void* p_address, std::size_t p_size, unsigned long p_type, unsigned long p_protect);
__declspec(dllimport) int __stdcall VirtualProtect(void* p_address, std::size_t p_size, unsigned long p_protect, unsigned long* p_old);
__declspec(dllimport) int __stdcall VirtualFree(void* p_address, std::size_t p_size, unsigned long p_type);
}
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "integration/metadb_handle.h"
#include "platform/heap.h"
#include "tests/allocation_failure.h"

namespace support_testing {

// Counts every construction, copy, assignment and destruction; a copy can be
// made to throw after a number of successful copies (-1: never).
struct counted {
    static inline long constructions = 0, copies = 0, assignments = 0, destructions = 0, copies_before_throw = -1;
    static void reset() { constructions = copies = assignments = destructions = 0, copies_before_throw = -1; }
    static long live() { return constructions + copies - destructions; }

    counted(int p_value = 0) noexcept : value(p_value) { ++constructions; }
    counted(const counted& p_source) : value(p_source.value) {
        if (copies_before_throw == 0) throw std::runtime_error("copy refused");
        if (copies_before_throw > 0) --copies_before_throw;
        ++copies;
    }
    counted& operator=(const counted& p_source) noexcept { return value = p_source.value, ++assignments, *this; }
    ~counted() { ++destructions; }
    int value = 0;
};

// Every test must end with no block leaked and no counted element alive.
class heap_test : public ::testing::Test {
protected:
    void SetUp() override { counted::reset(), m_blocks = platform::heap_live_blocks(); }
    void TearDown() override {
        platform::heap_disarm();
        EXPECT_EQ(counted::live(), 0) << "constructions and destructions do not balance";
        EXPECT_EQ(platform::heap_live_blocks(), m_blocks) << "a block leaked";
    }
    std::int64_t m_blocks = 0;
};

// A host track that counts its references.
struct fake_track : metadb_handle {
    fake_track(int p_id = 0) : id(p_id) {}
    t_int32 service_add_ref() noexcept override { return ++add_refs, ++refs; }
    t_int32 service_release() noexcept override { return ++releases, --refs; }
    void lock_info() override {}
    bool peek_info(const file_info*&) override { return false; }
    void unlock_info() override {}
    int id;
    t_int32 refs = 0;
    long add_refs = 0, releases = 0;
};

// The slot of a virtual function, from the Itanium ABI's member-function pointer (1 + byte offset).
template <typename t_member>
long vtable_slot(t_member p_member) {
    struct { std::uintptr_t ptr; std::ptrdiff_t adj; } rep;
    static_assert(sizeof(p_member) == sizeof(rep));
    std::memcpy(&rep, &p_member, sizeof rep);
    return (rep.ptr & 1) == 0 ? -1 : static_cast<long>((rep.ptr - 1) / sizeof(void*));
}

// The value of type T at a byte offset inside an object.
template <typename T>
T field_at(const void* p_object, std::size_t p_offset) {
    T out;
    std::memcpy(&out, static_cast<const char*>(p_object) + p_offset, sizeof out);
    return out;
}

// Runs p_operation and expects std::bad_alloc saying "bad allocation".
template <typename t_operation>
void expect_bad_alloc(t_operation p_operation) {
    try {
        p_operation();
        ADD_FAILURE() << "no std::bad_alloc";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
}

// p_size bytes of p_fill that end where an inaccessible page begins: reading past them faults.
struct guarded_bytes {
#if defined(_WIN32)
    // VirtualAlloc's MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE, PAGE_NOACCESS and MEM_RELEASE.
    guarded_bytes(std::size_t p_size, char p_fill)
        : page(4096), length((p_size + page - 1) / page * page + page),
          base(static_cast<char*>(VirtualAlloc(nullptr, length, 0x1000 | 0x2000, 0x04))) {
        unsigned long old = 0;
        if (base == nullptr || VirtualProtect(base + length - page, page, 0x01, &old) == 0) throw std::runtime_error("VirtualAlloc");
        m_data = base + length - page - p_size;
        std::memset(m_data, p_fill, p_size);
    }
    ~guarded_bytes() { VirtualFree(base, 0, 0x8000); }
#else
    guarded_bytes(std::size_t p_size, char p_fill)
        : page(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))), length((p_size + page - 1) / page * page + page),
          base(static_cast<char*>(mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))) {
        if (base == MAP_FAILED || mprotect(base + length - page, page, PROT_NONE) != 0) throw std::runtime_error("mmap");
        m_data = base + length - page - p_size;
        std::memset(m_data, p_fill, p_size);
    }
    ~guarded_bytes() { munmap(base, length); }
#endif
    guarded_bytes(const guarded_bytes&) = delete;
    char* data() const { return m_data; }
    std::size_t page, length;
    char* base;
    char* m_data;
};

// Makes allocation 1, 2, 3, ... fail until p_operation succeeds. After every
// failure: "bad allocation", p_snapshot() as before, no block leaked. Answers
// how many allocations the operation needed.
template <typename t_operation, typename t_snapshot>
int sweep_allocation_failures(t_operation p_operation, t_snapshot p_snapshot) {
    for (int n = 1; n < 1000; ++n) {
        const auto before = p_snapshot();
        const std::int64_t blocks = platform::heap_live_blocks();
        try {
            const allocation_failure out_of_memory(static_cast<std::uint64_t>(n));
            p_operation();
        } catch (const std::bad_alloc& e) {
            EXPECT_STREQ(e.what(), "bad allocation") << "failing allocation " << n;
            EXPECT_EQ(p_snapshot(), before) << "changed by failing allocation " << n;
            EXPECT_EQ(platform::heap_live_blocks(), blocks) << "leaked at failing allocation " << n;
            continue;
        }
        return n - 1;
    }
    ADD_FAILURE() << "the operation never succeeded";
    return -1;
}

}  // namespace support_testing
