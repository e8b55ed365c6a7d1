#include <gtest/gtest.h>

#include <stdexcept>

#include "counted_service.h"

using counted = counted_service<test_interface>;

TEST(ServicePtr, NewHandleIsEmptyAndReleasesNothing) {
    service_ptr_t<test_interface> handle;
    EXPECT_TRUE(handle.is_empty());
    EXPECT_EQ(handle.get_ptr(), nullptr);
    handle.release();  // emptying an empty handle is harmless
    EXPECT_TRUE(handle.is_empty());
}

TEST(ServicePtr, CopyTakesAndDestructionDropsOneReferenceEach) {
    counted object;
    {
        service_ptr_t<test_interface> a = &object;
        EXPECT_EQ(object.count(), 1);
        service_ptr_t<test_interface> b = a;
        EXPECT_EQ(object.count(), 2);
        service_ptr_t<service_base> base = a;  // conversion to a base handle counts too
        EXPECT_EQ(object.count(), 3);
    }
    EXPECT_EQ(object.count(), 0);
}

TEST(ServicePtr, AssignmentMovesTheReferenceFromOldToNew) {
    counted first, second;
    service_ptr_t<test_interface> handle = &first;
    service_ptr_t<test_interface> other = &second;
    handle = other;
    EXPECT_EQ(first.count(), 0);
    EXPECT_EQ(second.count(), 2);
    handle = nullptr;
    EXPECT_EQ(second.count(), 1);
    EXPECT_TRUE(handle.is_empty());
}

// An object whose last reference is the one being reassigned must not die on
// the way: the new reference is taken before the old one is dropped.
class dies_at_zero : public test_interface {
public:
    t_int32 service_add_ref() noexcept override { return ++m_count; }
    t_int32 service_release() noexcept override {
        if (--m_count == 0) ++m_deaths;
        return m_count;
    }
    t_int32 m_count = 0;
    int m_deaths = 0;
};

TEST(ServicePtr, SelfAssignmentNeverReachesZero) {
    dies_at_zero object;
    service_ptr_t<test_interface> handle = &object;
    auto& same = handle;
    handle = same;
    handle = handle.get_ptr();
    EXPECT_EQ(object.m_count, 1);
    EXPECT_EQ(object.m_deaths, 0);
    handle.release();
    EXPECT_EQ(object.m_deaths, 1);
}

TEST(ServicePtr, ReferenceIsReleasedWhenAnExceptionPasses) {
    counted object;
    auto work = [&] {
        service_ptr_t<test_interface> a = &object;
        service_ptr_t<test_interface> b = a;
        throw std::runtime_error("passes through");
    };
    EXPECT_THROW(work(), std::runtime_error);
    EXPECT_EQ(object.count(), 0);
}

TEST(ServicePtr, AttachAdoptsAndDetachHandsOver) {
    counted object, previous;
    service_ptr_t<test_interface> handle = &previous;
    object.service_add_ref();  // a reference the caller owns
    handle.attach(&object);
    EXPECT_EQ(object.count(), 1);
    EXPECT_EQ(previous.count(), 0);
    test_interface* raw = handle.detach();
    EXPECT_TRUE(handle.is_empty());
    EXPECT_EQ(object.count(), 1);
    raw->service_release();
    EXPECT_EQ(object.count(), 0);
}

TEST(ServiceQuery, AnswersOnlyTheInterfacesOwnGuid) {
    counted object;
    service_ptr_t<service_base> out;
    ASSERT_TRUE(object.service_query(out, test_interface::class_guid));
    EXPECT_EQ(out.get_ptr(), static_cast<service_base*>(&object));
    EXPECT_EQ(object.count(), 1);

    counted sentinel;
    service_ptr_t<service_base> untouched = &sentinel;
    for (const GUID& guid : {other_interface::class_guid, pfc::guid_null}) {
        EXPECT_FALSE(object.service_query(untouched, guid)) << pfc::print_guid(guid);
        EXPECT_EQ(untouched.get_ptr(), static_cast<service_base*>(&sentinel));
    }
    EXPECT_EQ(object.count(), 1);
    EXPECT_EQ(sentinel.count(), 1);
}
