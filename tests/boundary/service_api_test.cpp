#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "boundary/globals.h"
#include "boundary/service_api.h"
#include "counted_service.h"

namespace {

// A host registry with one class whose answers each test sets.
class fake_api : public foobar2000_api {
public:
    service_class_handle host_find_class(const GUID& p_guid) override {
        ++finds;
        asked = p_guid;
        return reinterpret_cast<service_class_handle>(&token);
    }
    bool host_create_instance(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                              t_size p_index) override {
        ++creates;
        EXPECT_EQ(p_class, reinterpret_cast<service_class_handle>(&token));
        EXPECT_EQ(p_index, 0u);
        if (!create_succeeds) {
            p_out = &leftover;  // a host may leave something behind on failure
            return false;
        }
        p_out = &service;
        return true;
    }
    t_size host_get_instance_count(service_class_handle) override {
        ++counts;
        return instances;
    }
    void host_reserved() override {}
    bool host_gate_check() override { return true; }

    int token = 0;
    GUID asked{};
    t_size instances = 1;
    bool create_succeeds = true;
    unsigned finds = 0, creates = 0, counts = 0;
    counted_service<test_interface> service;
    counted_service<test_interface> leftover;
};

class Acquisition : public ::testing::Test {
protected:
    void SetUp() override { g_api = &api; }
    void TearDown() override { g_api = nullptr; }
    fake_api api;
};

std::string message_of(void (*p_work)()) {
    try {
        p_work();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

void acquire() { static_api_ptr_t<test_interface> api; }

}  // namespace

TEST_F(Acquisition, HoldsOneReferenceForTheOperationAndAsksTheRegistryThreeTimes) {
    {
        static_api_ptr_t<test_interface> ptr;
        EXPECT_EQ(ptr.get_ptr(), static_cast<test_interface*>(&api.service));
        EXPECT_EQ(api.service.count(), 1);
        EXPECT_EQ(api.asked, test_interface::class_guid);
    }
    EXPECT_EQ(api.service.count(), 0);
    EXPECT_EQ(api.finds, 1u);
    EXPECT_EQ(api.counts, 1u);
    EXPECT_EQ(api.creates, 1u);
}

TEST_F(Acquisition, ReleasesWhenAnErrorPassesThroughTheOperation) {
    auto operation = [] {
        static_api_ptr_t<test_interface> ptr;
        throw std::runtime_error("host call failed");
    };
    EXPECT_THROW(operation(), std::runtime_error);
    EXPECT_EQ(api.service.count(), 0);
}

TEST_F(Acquisition, FailuresRaiseTheirOwnTypesAndMessages) {
    struct row {
        t_size instances;
        bool create_succeeds;
        const char* message;
    };
    for (const row& r : {row{0, true, "Service not found"}, row{2, true, "Service duplicated"},
                         row{1, false, "Bug check"}}) {
        api.instances = r.instances;
        api.create_succeeds = r.create_succeeds;
        EXPECT_EQ(message_of(acquire), r.message);
        EXPECT_EQ(api.service.count(), 0);
        EXPECT_EQ(api.leftover.count(), 0) << "what the host left in the temporary handle is released";
    }
    api.instances = 0;
    EXPECT_THROW(acquire(), exception_service_not_found);
    api.instances = 3;
    EXPECT_THROW(acquire(), exception_service_duplicated);
    api.instances = 1;
    api.create_succeeds = false;
    EXPECT_THROW(acquire(), pfc::exception_bug_check);
}

TEST_F(Acquisition, CreateWithOutParameterLeavesItUntouchedOnFailure) {
    counted_service<test_interface> previous;
    service_ptr_t<test_interface> out = &previous;
    service_class_helper_t<test_interface> helper;
    api.create_succeeds = false;
    EXPECT_FALSE(helper.create(out, 0));
    EXPECT_EQ(out.get_ptr(), static_cast<test_interface*>(&previous));
    api.create_succeeds = true;
    EXPECT_TRUE(helper.create(out, 0));
    EXPECT_EQ(out.get_ptr(), static_cast<test_interface*>(&api.service));
    EXPECT_EQ(previous.count(), 0) << "the object held before is released";
    EXPECT_EQ(api.service.count(), 1) << "the host's reference passes on without another add-ref";
}

TEST(AcquisitionBeforeTheExport, IsServiceNotFoundRatherThanACrash) {
    ASSERT_EQ(g_api, nullptr);
    EXPECT_EQ(message_of(acquire), "Service not found");
}
