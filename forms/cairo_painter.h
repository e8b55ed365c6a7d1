// Display lists drawn with Cairo, text laid out with Pango (Linux).
//
// The one drawing of a display list into pixels on Linux: the GTK backend's
// windows paint through it, and so does a picture of a form made off-screen,
// with or without a display. Text goes through Pango and fontconfig, so a
// line in Japanese, Cyrillic or Greek takes a font that has its glyphs
// without the toolkit naming one. The classic look: 3D edges for frames, a
// dotted focus mark, each item only inside its clip.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "forms/display_list.h"
#include "forms/drawing.h"
#include "forms/picture.h"
#include "forms/text.h"

// Cairo's drawing context, declared as cairo.h declares it, so that users of
// this header need not see Cairo.
struct _cairo;

namespace forms {

class Form;

// The desktop's colours, 0xRRGGBB, one per role.
struct Palette {
    std::uint32_t control = 0xF6F5F4;
    std::uint32_t window = 0xFFFFFF;
    std::uint32_t windowText = 0x000000;
    std::uint32_t highlight = 0x3584E4;
    std::uint32_t highlightText = 0xFFFFFF;
    std::uint32_t grayText = 0x8B8E8F;

    std::uint32_t Of(ColorRole role) const;
};

class CairoPainter {
public:
    // `font` as Pango reads it ("Sans 10", "DejaVu Sans 9"), at `dpi` dots per inch.
    CairoPainter(const Palette& palette, const std::string& font, double dpi = 96.0);
    // The largest sans-serif font whose metrics fit `cell` (the headless
    // toolkit's 6 x 13): what the toolkit laid out for that cell never clips.
    static std::unique_ptr<CairoPainter> FittingCell(const Palette& palette, Size cell);
    ~CairoPainter();
    CairoPainter(const CairoPainter&) = delete;
    CairoPainter& operator=(const CairoPainter&) = delete;

    const Palette& Colors() const { return palette_; }
    // Average width of the 52 Latin letters and the font's line height, as the
    // toolkit's auto-scaling wants them.
    Size FontMetrics() const { return metrics_; }
    // The text's advance (a control character as a space) and the line height.
    Size MeasureText(const String& text) const;
    // Draws `list` into `cr`, whose origin is the client area's top left.
    void Paint(_cairo* cr, const DisplayList& list) const;
    // `list` drawn into an image of `client` size (at least 1 x 1), opaque.
    Picture Render(Size client, const DisplayList& list) const;

    struct Impl;

private:
    Palette palette_;
    Size metrics_;
    std::unique_ptr<Impl> impl_;
};

// The client area of `form` as its display list draws it now, in `painter`'s
// font and colours; by default a painter fitting the toolkit's current font
// metrics with the default palette (a form laid out headless).
Picture PaintPicture(const Form& form, const CairoPainter* painter = nullptr);

}  // namespace forms
