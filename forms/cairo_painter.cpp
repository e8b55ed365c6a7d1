#include "forms/cairo_painter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <cairo.h>
#include <pango/pangocairo.h>

#include "forms/application.h"
#include "forms/form.h"

namespace forms {

namespace {

struct Rgb {
    double r, g, b;
};

Rgb RgbOf(std::uint32_t color) {
    return {static_cast<double>((color >> 16) & 0xFF) / 255.0, static_cast<double>((color >> 8) & 0xFF) / 255.0,
            static_cast<double>(color & 0xFF) / 255.0};
}

// `color` moved towards `to` by `amount` (0 to 1).
Rgb Mix(Rgb color, Rgb to, double amount) {
    return {color.r + (to.r - color.r) * amount, color.g + (to.g - color.g) * amount, color.b + (to.b - color.b) * amount};
}

void SetColor(cairo_t* cr, Rgb c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

void FillBox(cairo_t* cr, int x, int y, int width, int height, Rgb c) {
    if (width <= 0 || height <= 0) return;
    SetColor(cr, c);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
}

// One ring of a 3D edge, one pixel wide: `topLeft` along the top and left,
// `bottomRight` along the bottom and right, as the classic desktop draws it.
void Ring(cairo_t* cr, const Rectangle& r, Rgb topLeft, Rgb bottomRight) {
    if (r.Width <= 0 || r.Height <= 0) return;
    FillBox(cr, r.X, r.Y, r.Width - 1, 1, topLeft);
    FillBox(cr, r.X, r.Y + 1, 1, r.Height - 2, topLeft);
    FillBox(cr, r.X, r.Bottom() - 1, r.Width, 1, bottomRight);
    FillBox(cr, r.Right() - 1, r.Y, 1, r.Height - 1, bottomRight);
}

Rectangle Shrunk(const Rectangle& r, int by) { return {r.X + by, r.Y + by, r.Width - 2 * by, r.Height - 2 * by}; }

std::string Shown(const String& text) { return to_utf8(shown_text(text)); }

}  // namespace

std::uint32_t Palette::Of(ColorRole role) const {
    switch (role) {
        case ColorRole::Control: return control;
        case ColorRole::Window: return window;
        case ColorRole::WindowText: return windowText;
        case ColorRole::Highlight: return highlight;
        case ColorRole::HighlightText: return highlightText;
        case ColorRole::GrayText: return grayText;
    }
    return windowText;
}

struct CairoPainter::Impl {
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;
    PangoFontDescription* font = nullptr;
    int baseline = 0;  // pixels from a line's top

    ~Impl() {
        if (font) pango_font_description_free(font);
        if (context) g_object_unref(context);
        if (fontMap) g_object_unref(fontMap);
    }

    PangoLayout* Layout(const std::string& text) const {
        PangoLayout* layout = pango_layout_new(context);
        pango_layout_set_font_description(layout, font);
        pango_layout_set_single_paragraph_mode(layout, TRUE);
        pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
        return layout;
    }
};

CairoPainter::CairoPainter(const Palette& palette, const std::string& font, double dpi)
    : palette_(palette), impl_(std::make_unique<Impl>()) {
    // A font map of our own: the default one belongs to the thread that asked first.
    impl_->fontMap = pango_cairo_font_map_new();
    if (!impl_->fontMap) throw std::runtime_error("Pango has no font map");
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(impl_->fontMap), dpi);
    impl_->context = pango_font_map_create_context(impl_->fontMap);
    // Whole-pixel advances, so that measuring and drawing agree to the pixel.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(impl_->context, options);
    cairo_font_options_destroy(options);
    impl_->font = pango_font_description_from_string(font.c_str());

    PangoLayout* letters = impl_->Layout(std::string(kAverageWidthLetters));
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(letters, nullptr, &logical);
    impl_->baseline = PANGO_PIXELS(pango_layout_get_baseline(letters));
    g_object_unref(letters);
    metrics_ = {average_char_width(logical.width), std::max(logical.height, 1)};
}

std::unique_ptr<CairoPainter> CairoPainter::FittingCell(const Palette& palette, Size cell) {
    std::unique_ptr<CairoPainter> painter;
    for (int pixels = std::max(cell.Height, 2); pixels >= 2; --pixels) {
        painter = std::make_unique<CairoPainter>(palette, "Sans " + std::to_string(pixels) + "px");
        const Size m = painter->FontMetrics();
        if (m.Width <= cell.Width && m.Height <= cell.Height) break;
    }
    return painter;
}

CairoPainter::~CairoPainter() = default;

Size CairoPainter::MeasureText(const String& text) const {
    PangoLayout* layout = impl_->Layout(Shown(text));
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    return {logical.width, metrics_.Height};
}

void CairoPainter::Paint(_cairo* cr, const DisplayList& list) const {
    const Rgb face = RgbOf(palette_.control);
    const Rgb white{1.0, 1.0, 1.0};
    const Rgb black{0.0, 0.0, 0.0};
    // The 3D edge's shades, from the face colour as the classic scheme derives them.
    const Rgb light = Mix(face, white, 0.5);
    const Rgb shadow = Mix(face, black, 0.35);
    const Rgb darkShadow = Mix(face, black, 0.6);
    for (const DisplayItem& item : list) {
        if (item.clip.IsEmpty()) continue;
        cairo_save(cr);
        cairo_rectangle(cr, item.clip.X, item.clip.Y, item.clip.Width, item.clip.Height);
        cairo_clip(cr);
        const Rectangle& r = item.bounds;
        switch (item.kind) {
            case DrawKind::Fill:
            case DrawKind::Selection: FillBox(cr, r.X, r.Y, r.Width, r.Height, RgbOf(palette_.Of(item.color))); break;
            case DrawKind::Frame:
                switch (item.frame) {
                    case FrameStyle::Sunken:
                        Ring(cr, r, shadow, white);
                        Ring(cr, Shrunk(r, 1), darkShadow, light);
                        break;
                    case FrameStyle::Raised:
                        Ring(cr, r, light, darkShadow);
                        Ring(cr, Shrunk(r, 1), white, shadow);
                        break;
                    case FrameStyle::RaisedDefault:
                        // The button Enter presses: a dark line around the raised edge.
                        Ring(cr, r, darkShadow, darkShadow);
                        Ring(cr, Shrunk(r, 1), light, darkShadow);
                        Ring(cr, Shrunk(r, 2), white, shadow);
                        break;
                }
                break;
            case DrawKind::Text: {
                PangoLayout* layout = impl_->Layout(Shown(item.text));
                PangoRectangle logical{};
                pango_layout_get_pixel_extents(layout, nullptr, &logical);
                int x = r.X;
                if (item.align == TextAlign::Center) x += (r.Width - logical.width) / 2;
                // Every line's baseline where the dialog font puts it, centred
                // in the bounds, whatever font a script falls back to.
                const int top = r.Y + (r.Height - metrics_.Height) / 2 + impl_->baseline;
                const int y = top - PANGO_PIXELS(pango_layout_get_baseline(layout));
                SetColor(cr, RgbOf(palette_.Of(item.color)));
                cairo_move_to(cr, x - logical.x, y);
                pango_cairo_show_layout(cr, layout);
                g_object_unref(layout);
                break;
            }
            case DrawKind::Focus: {
                // Every other pixel of the box's edge, as the desktop's focus mark.
                SetColor(cr, RgbOf(palette_.windowText));
                for (int dx = 0; dx < r.Width; dx += 2) {
                    cairo_rectangle(cr, r.X + dx, r.Y, 1, 1);
                    cairo_rectangle(cr, r.X + dx, r.Bottom() - 1, 1, 1);
                }
                for (int dy = 2; dy < r.Height - 1; dy += 2) {
                    cairo_rectangle(cr, r.X, r.Y + dy, 1, 1);
                    cairo_rectangle(cr, r.Right() - 1, r.Y + dy, 1, 1);
                }
                cairo_fill(cr);
                break;
            }
        }
        cairo_restore(cr);
    }
}

Picture CairoPainter::Render(Size client, const DisplayList& list) const {
    const int width = std::max(client.Width, 1), height = std::max(client.Height, 1);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        throw std::bad_alloc();
    }
    cairo_t* cr = cairo_create(surface);
    FillBox(cr, 0, 0, width, height, RgbOf(palette_.control));
    Paint(cr, list);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    Picture picture{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        std::uint32_t* out = picture.argb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        // RGB24 keeps the top byte unused: the pixels are opaque.
        for (int x = 0; x < width; ++x) out[x] = row[x] | 0xFF000000u;
    }
    cairo_surface_destroy(surface);
    return picture;
}

Picture PaintPicture(const Form& form, const CairoPainter* painter) {
    std::unique_ptr<CairoPainter> own;
    if (!painter) {
        own = CairoPainter::FittingCell(Palette(), Application::FontMetrics());
        painter = own.get();
    }
    DisplayList list;
    form.PaintForm(list);
    return painter->Render(form.ClientSize(), list);
}

}  // namespace forms
