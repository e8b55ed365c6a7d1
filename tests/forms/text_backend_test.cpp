// The text backend measures text in the cells its picture draws it in.

#include "forms/text_backend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using forms::TextBackend;

// The characters of the picture's first row (after the caption and the rule).
std::u32string FirstRow(const std::string& picture) {
    const std::size_t start = picture.find('\n', picture.find('\n') + 1) + 1;
    const forms::String row = forms::from_utf8(picture.substr(start, picture.find('\n', start) - start));
    std::u32string out;
    for (std::size_t i = 0; i < row.size(); ++i) out.push_back(forms::code_point_at(row, i));
    return out;
}

// Texts drawn side by side, each where the last one's measure ends: a text of
// n cells takes n characters of the picture, a surrogate pair one and an
// unpaired surrogate one, shown as U+FFFD; two unpaired halves in adjacent
// cells do not pair up.
TEST(TextBackend, MeasuresTextInTheCellsItsPictureDrawsItIn) {
    struct Case {
        const char* what;
        std::vector<forms::String> texts;
        std::u32string drawn;
    };
    const Case cases[] = {
        {"plain", {u"abc"}, U"abc"},
        {"a pair", {u"a\xD83D\xDE00z"}, U"a\U0001F600z"},
        {"a low surrogate alone", {u"\xDC00"}, U"\uFFFD"},
        {"a low surrogate inside", {u"a\xDC00z"}, U"a\uFFFDz"},
        {"a low before a high", {u"\xDC00\xD800z"}, U"\uFFFD\uFFFDz"},
        {"a high surrogate at the end", {u"a\xD800"}, U"a\uFFFD"},
        {"a high before a letter", {u"\xD800z"}, U"\uFFFDz"},
        {"a high before a pair", {u"\xD800\xD83D\xDE00z"}, U"\uFFFD\U0001F600z"},
        {"halves in two texts", {u"a\xD800", u"\xDC00z"}, U"a\uFFFD\uFFFDz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        forms::DisplayList list;
        int x = 0;
        for (const forms::String& text : c.texts) {
            const forms::Size size = TextBackend::Measure(text);
            forms::DisplayItem item;
            item.kind = forms::DrawKind::Text;
            item.bounds = {x, 0, size.Width, size.Height};
            item.clip = {0, 0, 600, 13};
            item.text = text;
            list.push_back(item);
            x += size.Width;
        }
        EXPECT_EQ(x, TextBackend::kCell.Width * static_cast<int>(c.drawn.size()));
        EXPECT_EQ(FirstRow(TextBackend::Draw(u"", {600, 13}, list)), c.drawn);
    }
}

}  // namespace
