// The text backend: draws display lists as plain text for a terminal, one
// character per 6 x 13 pixel cell, the cell of the headless font.
//
// It is the model a window-system backend copies: it takes a display list and
// draws it, reading each item's kind, geometry, text and role, and knows no
// control type. The picture: the caption, a rule as wide as the client area,
// then one row per 13 pixels of it. Text shows as its characters (a control
// character as a space); a button's frame as [ and ] at its edges, { and }
// while the button has the focus; a list line is marked in its first column:
// '*' selected, '>' the focused caret line, '#' both. At most 512 x 256 cells:
// a larger client area is cut at the right and the bottom. UTF-8, every line
// ends in '\n'.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "forms/backend.h"

namespace forms {

class TextBackend : public Backend {
public:
    static constexpr Size kCell{6, 13};

    // The picture of a client area of size `client` holding `list`.
    static std::string Draw(const String& caption, Size client, const DisplayList& list);
    // One cell per character as Draw shows it: a surrogate pair is one, and so
    // is an unpaired surrogate (drawn as U+FFFD); the headless toolkit measures
    // this way too.
    static Size Measure(const String& text);

    Size FontMetrics() override { return kCell; }
    Size MeasureText(const String& text) override { return Measure(text); }
    // None: the toolkit's own desktop.
    std::vector<Screen> Screens() override { return {}; }
    void CreateWindow(Form& form) override;
    void DestroyWindow(Form& form) override;
    void SetWindowBounds(Form&, Rectangle) override {}
    void SetWindowVisible(Form&, bool) override {}
    void SetWindowText(Form& form, const String& text) override;
    void ActivateWindow(Form&) override {}
    // Keeps the picture for Picture().
    void Present(Form& form, const DisplayList& list) override;

    // The last picture presented for `form`; empty before the first and after
    // its window is destroyed.
    std::string Picture(const Form& form) const;

private:
    struct Window {
        String caption;
        std::string picture;
    };
    std::map<const Form*, Window> windows_;
};

}  // namespace forms
