#pragma once

// Instruments shared by the support library's tests: an element that counts
// its life cycle, a counted track, a look at virtual slot numbers, and the
// allocation-failure sweep.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include <sys/mman.h>
#include <unistd.h>

#include "integration/metadb_handle.h"
#include "platform/heap.h"

namespace support_testing {

// An element whose every construction, copy, assignment and destruction is
// counted, so a test can prove the container balanced them. A copy can be
// made to throw after a number of successful copies.
struct counted {
    static inline long constructions = 0;
    static inline long copies = 0;
    static inline long assignments = 0;
    static inline long destructions = 0;
    static inline long copies_before_throw = -1;  // -1: never throw

    static void reset() {
        constructions = copies = assignments = destructions = 0;
        copies_before_throw = -1;
    }
    static long live() { return constructions + copies - destructions; }

    counted() noexcept { ++constructions; }
    counted(int p_value) noexcept : value(p_value) { ++constructions; }
    counted(const counted& p_source) : value(p_source.value) {
        if (copies_before_throw == 0) throw std::runtime_error("copy refused");
        if (copies_before_throw > 0) --copies_before_throw;
        ++copies;
    }
    counted& operator=(const counted& p_source) noexcept {
        value = p_source.value;
        ++assignments;
        return *this;
    }
    ~counted() { ++destructions; }

    int value = 0;
};

// Each test starts and must end with no counted element alive.
class counted_test : public ::testing::Test {
protected:
    void SetUp() override {
        counted::reset();
        m_blocks = platform::heap_live_blocks();
    }
    void TearDown() override {
        platform::heap_disarm();
        EXPECT_EQ(counted::live(), 0) << "constructions and destructions do not balance";
        EXPECT_EQ(platform::heap_live_blocks(), m_blocks) << "a block leaked";
    }

private:
    std::int64_t m_blocks = 0;
};

// A host track that counts its references. Lives on the test's stack; the
// test checks the count returns to where it began.
class fake_track : public metadb_handle {
public:
    explicit fake_track(int p_id = 0) : id(p_id) {}
    ~fake_track() = default;

    t_int32 service_add_ref() noexcept override {
        ++add_refs;
        return ++refs;
    }
    t_int32 service_release() noexcept override {
        ++releases;
        return --refs;
    }
    void lock_info() override {}
    bool peek_info(const file_info*&) override { return false; }
    void unlock_info() override {}

    int id;
    t_int32 refs = 0;
    long add_refs = 0;
    long releases = 0;
};

// The slot a virtual function occupies, read from the Itanium ABI's
// representation of a member-function pointer (1 + byte offset in the table).
template <typename t_member>
long vtable_slot(t_member p_member) {
    struct {
        std::uintptr_t ptr;
        std::ptrdiff_t adj;
    } rep;
    static_assert(sizeof(p_member) == sizeof(rep));
    std::memcpy(&rep, &p_member, sizeof rep);
    if ((rep.ptr & 1) == 0) return -1;  // not virtual
    return static_cast<long>((rep.ptr - 1) / sizeof(void*));
}

// p_size bytes that end exactly where an inaccessible page begins: reading one
// byte past them kills the test with a fault.
class guarded_bytes {
public:
    explicit guarded_bytes(std::size_t p_size) : m_size(p_size) {
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t pages = (p_size + page - 1) / page + 1;
        m_length = pages * page;
        m_base = static_cast<char*>(mmap(nullptr, m_length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (m_base == MAP_FAILED) throw std::runtime_error("mmap");
        mprotect(m_base + m_length - page, page, PROT_NONE);
        m_data = m_base + m_length - page - p_size;
    }
    guarded_bytes(const guarded_bytes&) = delete;
    guarded_bytes& operator=(const guarded_bytes&) = delete;
    ~guarded_bytes() { munmap(m_base, m_length); }

    char* data() noexcept { return m_data; }
    std::size_t size() const noexcept { return m_size; }

private:
    std::size_t m_size;
    std::size_t m_length = 0;
    char* m_base = nullptr;
    char* m_data = nullptr;
};

// Runs p_operation with allocation 1, 2, 3, ... made to fail until it
// succeeds. After every failure: the error is std::bad_alloc saying "bad
// allocation", p_snapshot() reads as before, and no block leaked. Answers how
// many allocations the operation needed.
template <typename t_operation, typename t_snapshot>
int sweep_allocation_failures(t_operation p_operation, t_snapshot p_snapshot) {
    for (int n = 1; n < 1000; ++n) {
        const auto before = p_snapshot();
        const std::int64_t blocks = platform::heap_live_blocks();
        platform::heap_fail_at(static_cast<std::uint64_t>(n));
        try {
            p_operation();
            platform::heap_disarm();
            return n - 1;
        } catch (const std::bad_alloc& e) {
            platform::heap_disarm();
            EXPECT_STREQ(e.what(), "bad allocation") << "failing allocation " << n;
        }
        EXPECT_EQ(p_snapshot(), before) << "changed by failing allocation " << n;
        EXPECT_EQ(platform::heap_live_blocks(), blocks) << "leaked at failing allocation " << n;
    }
    ADD_FAILURE() << "the operation never succeeded";
    return -1;
}

}  // namespace support_testing
