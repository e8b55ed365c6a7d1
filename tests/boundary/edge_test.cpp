#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "boundary/edge.h"
#include "tests/boundary/msvc_party.h"

// The edge between the component and a party built in Microsoft's C++ ABI,
// as the host is: msvc_party.cpp, compiled by clang for the MSVC target,
// throws and catches by type in Microsoft's form.

namespace {

// Runs p_slot as a slot of ours that the party calls; answers what the party caught.
template <typename F>
msvc_party_caught called_by_the_party(F p_slot) {
    msvc_party_caught caught{};
    msvc_party_call([](void* p_context) { (*static_cast<F*>(p_context))(); }, &p_slot, &caught);
    return caught;
}

struct ours_row {
    const char* name;
    void (*raise)();
    int caught_as;
    const char* what;
};

const ours_row our_errors[] = {
    {"pfc's bad allocation", [] { pfc::throw_bad_alloc(); }, msvc_party_bad_alloc, "bad allocation"},
    {"the standard library's", [] { throw std::bad_alloc(); }, msvc_party_bad_alloc, "bad allocation"},
    {"overflow", [] { throw pfc::exception_overflow(); }, msvc_party_overflow, "Overflow"},
    {"bug check", [] { throw pfc::exception_bug_check(); }, msvc_party_bug_check, "Bug check"},
    {"not found", [] { throw exception_service_not_found(); }, msvc_party_not_found, "Service not found"},
    {"duplicated", [] { throw exception_service_duplicated(); }, msvc_party_duplicated, "Service duplicated"},
    {"truncation", [] { throw foobar2000_io::exception_io_data_truncation(); }, msvc_party_truncation,
     "Unsupported format or corrupted file"},
    {"io data", [] { throw foobar2000_io::exception_io_data("unusable record"); }, msvc_party_io_data, "unusable record"},
    {"io", [] { throw foobar2000_io::exception_io("disk full"); }, msvc_party_io, "disk full"},
    {"another standard error", [] { throw std::length_error(std::string("too long: ") + "a made-up text"); },
     msvc_party_exception, "too long: a made-up text"},
    {"not an exception", [] { throw 7; }, msvc_party_exception, "Unknown exception"},
};

}  // namespace

TEST(Edge, OurErrorsReachThePartyAsTheTypesItCatches) {
    for (const ours_row& row : our_errors) {
        const msvc_party_caught caught = called_by_the_party([&] { edge::inbound([&] { row.raise(); }); });
        EXPECT_EQ(caught.error, row.caught_as) << row.name;
        EXPECT_STREQ(caught.what, row.what) << row.name;
    }
    EXPECT_EQ(called_by_the_party([] { edge::inbound([] {}); }).error, msvc_party_nothing);
}

TEST(Edge, ThePartysErrorsComeBackAsOursAndGoBackOutAsThemselves) {
    struct row {
        int error;
        const char* what;
        bool io_data;  // dropped where ours would be
    };
    for (const row& r : {row{msvc_party_private, "private error", false},
                         row{msvc_party_io_data_own, "the party's own data error", true},
                         row{msvc_party_truncation, "Unsupported format or corrupted file", true},
                         row{msvc_party_io, "the party's io error", false},
                         row{msvc_party_bad_alloc, "bad allocation", false},
                         row{msvc_party_bug_check, "Bug check", false},
                         row{msvc_party_exception, "the party's error", false},
                         row{msvc_party_not_an_exception, "Unknown exception", false}}) {
        std::string seen;
        bool seen_io_data = false;
        const msvc_party_caught caught = called_by_the_party([&] {
            edge::inbound([&] {
                try {
                    edge::outbound([&] { msvc_party_throw(r.error, 42); });
                } catch (const std::exception& e) {
                    seen = e.what();
                    seen_io_data = dynamic_cast<const foobar2000_io::exception_io_data*>(&e) != nullptr;
                    throw;
                }
            });
        });
        EXPECT_EQ(seen, r.what) << r.error;
        EXPECT_EQ(seen_io_data, r.io_data) << r.error;
        EXPECT_EQ(caught.error, r.error) << "back as itself";
        if (r.error == msvc_party_private || r.error == msvc_party_not_an_exception) {
            EXPECT_EQ(caught.code, 42);
        }
        EXPECT_EQ(msvc_party_private_errors_alive(), 0) << "every copy of the party's object is gone";
    }
}

TEST(Edge, OurCleanUpsRunWhileThePartysErrorPassesAndADroppedOneIsFreed) {
    struct counted {
        int& count;
        ~counted() { ++count; }
    };
    int destroyed = 0;
    const msvc_party_caught caught = called_by_the_party([&] {
        edge::inbound([&] {
            const counted alive{destroyed};
            edge::outbound([] { msvc_party_throw(msvc_party_private, 7); });
        });
    });
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(caught.error, msvc_party_private);
    EXPECT_EQ(caught.code, 7);

    // One that our code handles is freed with our exception.
    const msvc_party_caught dropped = called_by_the_party([] {
        edge::inbound([] {
            try {
                edge::outbound([] { msvc_party_throw(msvc_party_private, 1); });
            } catch (const std::exception&) {
            }
        });
    });
    EXPECT_EQ(dropped.error, msvc_party_nothing);
    EXPECT_EQ(msvc_party_private_errors_alive(), 0);
}

TEST(Edge, ASlotOfOursCalledByOurOwnCodeLetsOurErrorPassAsItIs) {
    std::string handled;
    const msvc_party_caught caught = called_by_the_party([&] {
        edge::inbound([&] {
            try {
                edge::inbound([] { throw pfc::exception_bug_check(); });
            } catch (const pfc::exception_bug_check& e) {
                handled = e.what();
            }
        });
    });
    EXPECT_EQ(handled, "Bug check");
    EXPECT_EQ(caught.error, msvc_party_nothing);
    // And a call into the party in between makes the next slot the party's again.
    const msvc_party_caught inner = called_by_the_party([] {
        edge::inbound([] {
            msvc_party_caught nested{};
            edge::outbound([&] {
                msvc_party_call([](void*) { edge::inbound([] { throw pfc::exception_overflow(); }); }, nullptr, &nested);
            });
            if (nested.error != msvc_party_overflow) throw std::logic_error("the nested slot's error did not reach the party");
        });
    });
    EXPECT_EQ(inner.error, msvc_party_nothing) << inner.what;
}
