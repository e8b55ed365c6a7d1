#include <gtest/gtest.h>

#include <new>

#include "tests/allocation_failure.h"
#include "support/string_simple.h"

TEST(LibraryNameHolder, StartsEmptyWithoutABlock) {
    pfc::string_simple_t<char> name;
    EXPECT_STREQ(name.get_ptr(), "");
    EXPECT_EQ(name.get_capacity(), 0u);
}

TEST(LibraryNameHolder, BlockIsExactlyTheTextAndItsTerminator) {
    pfc::string_simple_t<char> name;
    name = "foo_sorvale.so";
    EXPECT_STREQ(name.get_ptr(), "foo_sorvale.so");
    EXPECT_EQ(name.get_capacity(), 15u);
    name = "";
    EXPECT_STREQ(name.get_ptr(), "");
    EXPECT_EQ(name.get_capacity(), 1u);
    name = "ab";
    EXPECT_EQ(name.get_capacity(), 3u);
}

TEST(LibraryNameHolder, SameSizeReusesTheBlock) {
    pfc::string_simple_t<char> name;
    name = "abc";
    const char* block = name.get_ptr();
    {
        const allocation_failure out_of_memory(1, true);  // any allocation would fail now
        name = "xyz";
    }
    EXPECT_EQ(name.get_ptr(), block);
    EXPECT_STREQ(name.get_ptr(), "xyz");
}

TEST(LibraryNameHolder, OutOfMemoryKeepsThePreviousText) {
    pfc::string_simple_t<char> name;
    name = "first.so";
    {
        const allocation_failure out_of_memory(1);
        EXPECT_THROW(name = "a much longer library name.so", std::bad_alloc);
    }
    EXPECT_STREQ(name.get_ptr(), "first.so");
    EXPECT_EQ(name.get_capacity(), 9u);
}

TEST(LibraryNameHolder, AssigningItsOwnTailIsSafe) {
    pfc::string_simple_t<char> name;
    name = "path/file.so";
    name = name.get_ptr() + 5;
    EXPECT_STREQ(name.get_ptr(), "file.so");
}
