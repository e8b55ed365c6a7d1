#include "forms/text.h"

#include <gtest/gtest.h>
#if defined(SORVALE_TEST_ICU)  // not built for mingw, nor looked for without the desktop
#include <unicode/ustring.h>
#endif

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
constexpr char16_t R = 0xFFFD;

forms::String decode(const Bytes& b) { return forms::decode_utf8(b.data(), b.size()); }

#if !defined(SORVALE_TEST_ICU)
constexpr bool have_icu = false;
forms::String icu_decode(const Bytes& b) { return decode(b); }
#else
constexpr bool have_icu = true;
// ICU's converter with U+FFFD substitution, given an explicit length.
forms::String icu_decode(const Bytes& b) {
    std::u16string out(b.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length,
                         reinterpret_cast<const char*>(b.data()), static_cast<int32_t>(b.size()), 0xFFFD,
                         nullptr, &status);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    out.resize(static_cast<std::size_t>(length));
    return out;
}
#endif

std::u16string reps(int n) { return std::u16string(static_cast<std::size_t>(n), R); }

TEST(DecodeUtf8, MatchesTheMaximalSubpartTable) {
    const std::vector<std::pair<Bytes, std::u16string>> cases = {
        {{0xC3, 0xA9}, u"\u00E9"},
        {{0xFF}, reps(1)},
        {{0xED, 0xA0, 0x80}, reps(3)},
        {{0xED, 0xA0, 0x80, 0xED, 0xB0, 0x80}, reps(6)},
        {{0xED, 0x9F, 0xBF}, u"\uD7FF"},
        {{0xC0, 0x80}, reps(2)},
        {{0xC1, 0xBF}, reps(2)},
        {{0xE0, 0x80, 0x80}, reps(3)},
        {{0xE0, 0x9F, 0xBF}, reps(3)},
        {{0xF0, 0x80, 0x80, 0x80}, reps(4)},
        {{0xF0, 0x8F, 0xBF, 0xBF}, reps(4)},
        {{0xF8, 0x88, 0x80, 0x80, 0x80}, reps(5)},
        {{0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}, reps(6)},
        {{0xF4, 0x90, 0x80, 0x80}, reps(4)},
        {{0xF4, 0x8F, 0xBF, 0xBF}, std::u16string{0xDBFF, 0xDFFF}},
        {{0xF0, 0x9F, 0x98}, reps(1)},
        {{0xE2, 0x82, 0x41}, std::u16string{R, u'A'}},
        {{0xF0, 0x8E}, reps(2)},
        {{0xEF, 0xBF, 0xBF}, std::u16string{0xFFFF}},
        {{0x61, 0xF1, 0x80, 0x80, 0xE1, 0x80, 0xC2, 0x62, 0x80, 0x63, 0x80, 0xBF, 0x64},
         std::u16string{u'a', R, R, R, u'b', R, u'c', R, R, u'd'}},
        {{0xC0, 0xAF, 0xE0, 0x80, 0xBF, 0xF0, 0x81, 0x82, 0x41}, reps(8) + u"A"},
        {{0xF4, 0x91, 0x92, 0x93, 0xFF, 0x41, 0x80, 0xBF, 0x42}, reps(5) + u"A" + reps(2) + u"B"},
        {{0xE1, 0x80, 0xE2, 0xF0, 0x91, 0x92, 0xF1, 0xBF, 0x41}, reps(4) + u"A"},
        // Boundaries of each row of the well-formed table, then the first lead byte past them.
        {{0x00, 0x7F, 0xC2, 0x80, 0xDF, 0xBF, 0xE0, 0xA0, 0x80, 0xEE, 0x80, 0x80, 0xF0, 0x90, 0x80, 0x80, 0xF3, 0xBF, 0xBF, 0xBF},
         std::u16string{0x0000, 0x007F, 0x0080, 0x07FF, 0x0800, 0xE000, 0xD800, 0xDC00, 0xDBBF, 0xDFFF}},
        {{0xF5, 0x80, 0x80, 0x80}, reps(4)},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(decode(in), out) << "case of " << in.size() << " bytes starting " << int(in.empty() ? 0 : in[0]);
        EXPECT_EQ(icu_decode(in), out) << "the table disagrees with ICU";
    }
}

TEST(DecodeUtf8, EmptyAndNullGiveEmptyTextAndCountStopsEvenInsideASequence) {
    EXPECT_EQ(forms::decode_utf8(nullptr, 0), u"");
    const unsigned char buffer[] = {0x41, 0xE2, 0x82, 0xAC};
    EXPECT_EQ(forms::decode_utf8(buffer, 0), u"");
    EXPECT_EQ(forms::decode_utf8(buffer, 3), (std::u16string{u'A', R})) << "the byte past the count is not read";
    EXPECT_EQ(forms::decode_utf8(buffer, 4), u"A\u20AC");
}

// Random strings biased toward the interesting bytes: continuations, leads and
// the boundary values of the table.
Bytes random_bytes(std::mt19937& rng) {
    static const unsigned char interesting[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                                0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
                                                0xF1, 0xF3, 0xF4, 0xF5, 0xF8, 0xFC, 0xFE, 0xFF};
    Bytes b(rng() % 25);
    for (auto& x : b) {
        const unsigned pick = rng() % 4;
        x = static_cast<unsigned char>(pick == 0 ? rng() % 256 : pick == 1 ? 0x80 + rng() % 64 : interesting[rng() % sizeof interesting]);
    }
    return b;
}

TEST(DecodeUtf8, AgreesWithIcuOnRandomBytes) {
    if (!have_icu) {
        GTEST_SKIP() << "no ICU in this build (Windows, or Linux without the desktop), and Windows's own decoder "
                        "(MultiByteToWideChar) does not replace by maximal subparts under Wine, so there is nothing "
                        "to compare with";
    }
    std::mt19937 rng(20240611);
    for (int n = 0; n < 200000; ++n) {
        const Bytes b = random_bytes(rng);
        const auto ours = decode(b);
        ASSERT_EQ(ours, icu_decode(b)) << "iteration " << n;
        ASSERT_LE(ours.size(), b.size());
    }
}

// ASCII runs of every length on both sides of one sequence at every place,
// so that the words read at once start, end and overlap everywhere around it;
// the decoder writes inside the room it is given (a unit per byte) only.
TEST(DecodeUtf8, AsciiWordsAroundASequenceAtEveryPlace) {
    const std::vector<std::pair<Bytes, std::u16string>> sequences = {
        {{0xC3, 0xA9}, u"\u00E9"}, {{0xE6, 0xBD, 0xAE}, u"\u6F6E"}, {{0xF0, 0x9F, 0x8E, 0xB5}, u"\U0001F3B5"},
        {{0xE2, 0x82}, reps(1)},    {{0xFF}, reps(1)},                 {{}, u""},
    };
    for (const auto& [sequence, unit] : sequences) {
        for (std::size_t before = 0; before <= 20; ++before) {
            for (std::size_t after = 0; after <= 20; ++after) {
                Bytes in(before, 'a');
                in.insert(in.end(), sequence.begin(), sequence.end());
                in.insert(in.end(), after, 'b');
                const std::u16string expected = std::u16string(before, u'a') + unit + std::u16string(after, u'b');
                std::vector<char16_t> units(in.size() + 2, u'#');
                const std::size_t written = forms::decode_utf8_to(in.data(), in.size(), units.data() + 1);
                ASSERT_EQ(std::u16string(units.data() + 1, written), expected) << before << " + " << sequence.size() << " + " << after;
                ASSERT_EQ(std::make_pair(units.front(), units.back()), std::make_pair(u'#', u'#'));
            }
        }
    }
}

TEST(ToUtf8, RoundTripsWellFormedTextAndReplacesLoneSurrogates) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBF";
    EXPECT_EQ(forms::to_utf8(forms::from_utf8(text)), text);
    EXPECT_EQ(forms::to_utf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(forms::to_utf8(std::u16string{0xDC00}), "\xEF\xBF\xBD");
    EXPECT_EQ(forms::to_utf8(std::u16string{0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF");
}

// Every backend shows text through these: a control character as a space, and
// a font's average character width from its 52 letters, rounded.
TEST(ShownText, ControlCharactersShowAsSpacesAndEverythingElseAsItself) {
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"a\tb\r\nc", u"a b  c"},
        {std::u16string{0x00, 0x1F, 0x20, 0x7F}, std::u16string{u' ', u' ', u' ', 0x7F}},
        {std::u16string{0xD83D, 0xDE00, 0xDC00, 0xD800}, std::u16string{0xD83D, 0xDE00, 0xDC00, 0xD800}},
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(forms::shown_text(text), shown);
    EXPECT_EQ(forms::kAverageWidthLetters.size(), 52u);
    for (const auto& [width, average] : std::vector<std::pair<long long, int>>{{0, 0}, {25, 0}, {26, 1}, {337, 6}, {338, 7}})
        EXPECT_EQ(forms::average_char_width(width), average) << width;
}

}  // namespace
