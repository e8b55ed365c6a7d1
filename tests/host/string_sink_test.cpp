#include <gtest/gtest.h>

#include <string>

#include "host/string_sink.h"

// A component's text lands as its bytes up to the NUL or the length given,
// whichever comes first; infinite_size is the whole text, null the empty one.
TEST(StringSink, TakesTheTextUpToItsNulOrItsLength) {
    const char unterminated[3] = {'x', 'y', 'z'};  // nothing may be read past it
    const struct {
        const char* text;
        t_size length;
        std::string expected;
    } cases[] = {
        {"abc", pfc::infinite_size, "abc"}, {"abc", 2, "ab"},        {"abc", 0, ""},
        {"a\0bc", 4, "a"},                  {unterminated, 3, "xyz"}, {nullptr, 5, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        host::string_sink sink;
        sink.set_string("old");
        sink.set_string(c.text, c.length);
        EXPECT_EQ(sink.text(), c.expected);
        sink.add_string(c.text, c.length);
        EXPECT_EQ(sink.text(), c.expected + c.expected);
    }
}
