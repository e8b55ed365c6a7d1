#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

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

TEST(ServicePtr, MovesHandTheReferenceOverWithoutCallsAndKeepCountsExact) {
    counted first, second;
    service_ptr_t<test_interface> source = &first;
    service_ptr_t<test_interface> moved = std::move(source);
    service_ptr_t<service_base> base = std::move(moved);  // into a base handle too
    EXPECT_TRUE(source.is_empty());
    EXPECT_TRUE(moved.is_empty());
    EXPECT_EQ(base.get_ptr(), static_cast<service_base*>(&first));
    EXPECT_EQ(std::make_pair(first.count(), first.calls()), std::make_pair(1, 1)) << "only the first add-ref";

    service_ptr_t<test_interface> target = &second;
    service_ptr_t<test_interface> other = &first;
    target = std::move(other);  // drops what it held, takes the source's
    EXPECT_EQ(std::make_tuple(first.count(), second.count(), other.is_empty()), std::make_tuple(2, 0, true));
    auto& same = target;
    target = std::move(same);  // into itself: still held
    EXPECT_EQ(target.get_ptr(), &first);
    service_ptr_t<test_interface> empty;
    target = std::move(empty);
    EXPECT_TRUE(target.is_empty());
    EXPECT_EQ(first.count(), 1);
    base.release();
    EXPECT_EQ(first.count(), 0);

    // A growing vector and a gap closed at its front move their handles:
    // the only calls are the 100 add-refs and the erased handle's release.
    counted shared;
    {
        std::vector<service_ptr_t<test_interface>> handles;
        for (int i = 0; i < 100; ++i) handles.emplace_back(&shared);
        handles.erase(handles.begin());
        EXPECT_EQ(std::make_pair(shared.count(), shared.calls()), std::make_pair(99, 101));
    }
    EXPECT_EQ(shared.count(), 0);
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
