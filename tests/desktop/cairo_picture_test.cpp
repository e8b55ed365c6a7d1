// The window's pixels as Cairo and Pango draw them on Linux, with no display:
// the host's screenshot of the queue window headless, and the scripts of the
// track library drawn as glyphs.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "forms/automation.h"
#include "forms/cairo_painter.h"
#include "forms/form.h"
#include "host/application.h"
#include "host/session.h"

#include "tests/png_image.h"

namespace {

namespace fs = std::filesystem;

struct png {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB

    explicit png(const fs::path& p_path) {
        int channels = 0;
        unsigned char* pixels = stbi_load(p_path.c_str(), &width, &height, &channels, 3);
        if (pixels == nullptr) {
            ADD_FAILURE() << "cannot read " << p_path << ": " << stbi_failure_reason();
            width = height = 0;
            return;
        }
        for (int i = 0; i < width * height; ++i) {
            const unsigned char* p = pixels + 3 * i;
            rgb.push_back(static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2]);
        }
        stbi_image_free(pixels);
    }
    std::uint32_t at(int p_x, int p_y) const { return rgb[static_cast<std::size_t>(p_y * width + p_x)]; }
};

TEST(HeadlessScreenshot, IsTheClientAreaWithTheHighlightOnTheRowsTheLayoutGivesTheSelectedLines) {
    const fs::path file = fs::temp_directory_path() / ("sorvale-headless-shot-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".png");
    host::application app;
    app.load_component(SORVALE_COMPONENT);
    std::FILE* out = std::tmpfile();
    const unsigned failed =
        host::session(app, out).run_all("enqueue 1 2 3 4 5 6 7; open View/Sorvale; line 2; line 3 shift; line 5 ctrl; screenshot " + file.string());
    EXPECT_EQ(failed, 0u);
    std::fclose(out);

    const std::vector<forms::Form*> open = forms::automation::OpenForms();
    ASSERT_EQ(open.size(), 1u);
    const forms::Form& form = *open.front();
    // Where the layout puts the selected lines' highlight, row by row, and
    // between which columns every one of them lies.
    forms::DisplayList list;
    form.PaintForm(list);
    std::set<int> expected;
    int left = form.ClientSize().Width, right = 0;
    for (const forms::DisplayItem& item : list) {
        if (item.role != forms::ItemRole::SelectedLine) continue;
        const forms::Rectangle shown = forms::Rectangle::Intersect(item.bounds, item.clip);
        for (int y = shown.Y; y < shown.Bottom(); ++y) expected.insert(y);
        left = std::min(left, shown.X);
        right = std::max(right, shown.Right());
    }
    ASSERT_EQ(expected.size(), 3u * 13u) << "lines 2, 3 and 5 of the headless font's 13 pixels";

    const png picture(file);
    fs::remove(file);
    EXPECT_EQ(forms::Size(picture.width, picture.height), form.ClientSize());
    ASSERT_LT(left, right);
    // A row is highlighted where any pixel of the list's width has the highlight colour.
    std::set<int> highlighted;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.at(x, y) == forms::Palette().highlight) {
                highlighted.insert(y);
                EXPECT_TRUE(x >= left && x < right) << "highlight at (" << x << ", " << y << ")";
                break;
            }
    EXPECT_EQ(highlighted, expected);
    app.shutdown();
}

TEST(CairoPainter, TheHeadlessFontFitsTheCellTheToolkitLaysOutFor) {
    const auto painter = forms::CairoPainter::FittingCell(forms::Palette(), {6, 13});
    const forms::Size metrics = painter->FontMetrics();
    EXPECT_TRUE(metrics.Width >= 4 && metrics.Width <= 6 && metrics.Height >= 9 && metrics.Height <= 13)
        << metrics.Width << " x " << metrics.Height;
    EXPECT_EQ(painter->MeasureText(u"").Width, 0);
    EXPECT_EQ(painter->MeasureText(u"\u30EF").Height, metrics.Height) << "a fallback font keeps the dialog font's line";
}

// Whether the ink of `p_text`, drawn large, is a box: an outline inked along
// at least 80% of every side of its ink's bounding box, as Pango draws the
// box of a character no font has (with its code inside).
bool drawn_as_box(const forms::CairoPainter& p_painter, const std::string& p_text) {
    const forms::Rectangle area(0, 0, 120, 90);
    forms::DisplayItem item;
    item.kind = forms::DrawKind::Text;
    item.color = forms::ColorRole::WindowText;
    item.bounds = item.clip = area;
    item.text = forms::from_utf8(p_text);
    const forms::Picture picture = p_painter.Render(area.Size(), {item});
    const auto ink = [&](int x, int y) { return (picture.At(x, y) & 0xFF) < 0x80; };
    int top = area.Height, bottom = -1, first = area.Width, last = -1;
    for (int y = 0; y < area.Height; ++y)
        for (int x = 0; x < area.Width; ++x)
            if (ink(x, y)) {
                top = std::min(top, y), bottom = std::max(bottom, y);
                first = std::min(first, x), last = std::max(last, x);
            }
    if (bottom < 0) return false;
    const auto inked = [&](int x0, int y0, int dx, int dy, int n) {
        int count = 0;
        for (int i = 0; i < n; ++i) count += ink(x0 + dx * i, y0 + dy * i) ? 1 : 0;
        return count * 5 >= n * 4;
    };
    const int width = last - first + 1, height = bottom - top + 1;
    return inked(first, top, 1, 0, width) && inked(first, bottom, 1, 0, width) && inked(first, top, 0, 1, height) &&
           inked(last, top, 0, 1, height);
}

TEST(CairoPainter, JapaneseCyrillicGreekAndSymbolsDrawAsGlyphsWhereNoFontHasABoxForNone) {
    const forms::CairoPainter painter(forms::Palette(), "Sans 48px");
    struct glyph_case {
        const char* text;
        bool box;
    };
    // The track library's characters beyond Latin, one at a time (fontconfig
    // finds each a font), and one in a private-use plane that no font has:
    // the box of a missing glyph, which shows the check can see one.
    const glyph_case cases[] = {
        {"\xE6\xBD\xAE", false},          // 潮
        {"\xE3\x83\xA6", false},          // ユ
        {"\xE3\x82\xA6", false},          // ウ
        {"\xE3\x83\xAA", false},          // リ
        {"\xE7\x81\xAF", false},          // 灯
        {"\xE3\x81\xAE", false},          // の
        {"\xE3\x83\xAF", false},          // ワ
        {"\xE3\x83\xAB", false},          // ル
        {"\xE3\x83\x84", false},          // ツ
        {"\xD0\x96", false},              // Ж
        {"\xD0\xA1", false},              // С
        {"\xCE\x9B", false},              // Λ
        {"\xCE\xB4", false},              // δ
        {"\xE2\x9C\xA6", false},          // ✦
        {"\xF3\xBF\xBF\xBD", true},       // U+FFFFD
    };
    for (const glyph_case& c : cases) EXPECT_EQ(drawn_as_box(painter, c.text), c.box) << c.text;
}

}  // namespace
