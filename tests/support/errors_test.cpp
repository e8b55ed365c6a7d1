#include <gtest/gtest.h>

#include <string>

#include "support/exceptions.h"

namespace {

template <typename E>
std::string thrown_message(const E& p_error) {
    try {
        throw p_error;  // a throw copies the object
    } catch (const std::exception& e) {
        return e.what();
    }
}

}  // namespace

TEST(ErrorTypes, EachAnswersItsFixedMessageAlsoOnACopy) {
    EXPECT_EQ(thrown_message(pfc::bad_allocation()), "bad allocation");
    EXPECT_EQ(thrown_message(pfc::exception_overflow()), "Overflow");
    EXPECT_EQ(thrown_message(pfc::exception_bug_check()), "Bug check");
    EXPECT_EQ(thrown_message(exception_service_not_found()), "Service not found");
    EXPECT_EQ(thrown_message(exception_service_duplicated()), "Service duplicated");
    EXPECT_EQ(thrown_message(foobar2000_io::exception_io_data_truncation()), "Unsupported format or corrupted file");
    static const char raised_text[] = "raiser's own text";
    EXPECT_EQ(thrown_message(foobar2000_io::exception_io_data(raised_text)), raised_text);
}

TEST(ErrorTypes, OutOfMemoryIsCaughtAsTheStandardType) {
    try {
        pfc::throw_bad_alloc();
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
        return;
    }
    FAIL() << "not caught as std::bad_alloc";
}

TEST(ErrorTypes, TruncationIsCaughtByEveryIoBase) {
    auto caught_as_data = [] {
        try {
            throw foobar2000_io::exception_io_data_truncation();
        } catch (const foobar2000_io::exception_io_data&) {
            return true;
        }
    };
    auto caught_as_io = [] {
        try {
            throw foobar2000_io::exception_io_data_truncation();
        } catch (const foobar2000_io::exception_io&) {
            return true;
        }
    };
    EXPECT_TRUE(caught_as_data());
    EXPECT_TRUE(caught_as_io());
}

TEST(ErrorTypes, NonIoErrorsPassTheIoHandlers) {
    auto passes = [](auto p_error) {
        try {
            try {
                throw p_error;
            } catch (const foobar2000_io::exception_io&) {
                return false;
            }
        } catch (const std::exception&) {
            return true;
        }
    };
    EXPECT_TRUE(passes(pfc::bad_allocation()));
    EXPECT_TRUE(passes(exception_service_not_found()));
    EXPECT_TRUE(passes(pfc::exception_bug_check()));
}
