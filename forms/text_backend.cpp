#include "forms/text_backend.h"

#include <algorithm>

#include "forms/form.h"

namespace forms {

namespace {

constexpr int kCellWidth = TextBackend::kCell.Width;
constexpr int kCellHeight = TextBackend::kCell.Height;
// 3072 x 3328 pixels, more than a headless window can be.
constexpr int kMaxColumns = 512;
constexpr int kMaxRows = 256;

struct Canvas {
    int columns;
    int rows;
    std::vector<std::u32string> cells;  // one string of `columns` per row

    Canvas(int columnCount, int rowCount)
        : columns(columnCount),
          rows(rowCount),
          cells(static_cast<std::size_t>(rowCount), std::u32string(static_cast<std::size_t>(columnCount), U' ')) {}
    void Put(int column, int row, char32_t ch) {
        if (column >= 0 && column < columns && row >= 0 && row < rows)
            cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = ch;
    }
    char32_t At(int column, int row) const {
        if (column < 0 || column >= columns || row < 0 || row >= rows) return U' ';
        return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
    // Replaces `from` with `to` at the cell, if it holds `from`.
    void Swap(int column, int row, char32_t from, char32_t to) {
        if (At(column, row) == from) Put(column, row, to);
    }
};

// An item is drawn on the row that holds the middle of its bounds.
int RowOf(const Rectangle& r) { return (r.Y + r.Height / 2) / kCellHeight; }

std::u32string Characters(const String& text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = code_point_at(text, i);
        out.push_back(shown_character(c));
    }
    return out;
}

void DrawText(Canvas& canvas, const DisplayItem& item, int row) {
    const int firstColumn = item.clip.X / kCellWidth;
    const int endColumn = (item.clip.Right() + kCellWidth - 1) / kCellWidth;
    const std::u32string chars = Characters(item.text);
    const long long width = static_cast<long long>(chars.size()) * kCellWidth;
    long long x = item.bounds.X;
    if (item.align == TextAlign::Center) x += (item.bounds.Width - width) / 2;
    // To the nearest cell: a list line's text, 4 pixels in, starts after the marker column.
    long long column = (x + kCellWidth / 2) / kCellWidth;
    for (std::size_t i = 0; i < chars.size() && column < endColumn; ++i, ++column)
        if (column >= firstColumn) canvas.Put(static_cast<int>(column), row, chars[i]);
}

// A line's mark in the first column of the list that shows it.
void MarkLine(Canvas& canvas, const DisplayItem& item, int row, char32_t mark) {
    const int column = std::max(item.bounds.X, item.clip.X) / kCellWidth;
    const char32_t old = canvas.At(column, row);
    const bool other = (mark == U'*' && old == U'>') || (mark == U'>' && old == U'*');
    canvas.Put(column, row, other || old == U'#' ? U'#' : mark);
}

// The cells of a box's left and right edges; `inset` grows the box first.
int LeftColumn(const Rectangle& box, int inset = 0) { return (box.X - inset) / kCellWidth; }
int RightColumn(const Rectangle& box, int inset = 0) { return (box.Right() + inset - 1) / kCellWidth; }

}  // namespace

std::string TextBackend::Draw(const String& caption, Size client, const DisplayList& list) {
    Canvas canvas(std::min((client.Width + kCellWidth - 1) / kCellWidth, kMaxColumns),
                  std::min((client.Height + kCellHeight - 1) / kCellHeight, kMaxRows));
    for (const DisplayItem& item : list) {
        const int middle = item.bounds.Y + item.bounds.Height / 2;
        if (middle < item.clip.Y || middle >= item.clip.Bottom()) continue;
        const int row = RowOf(item.bounds);
        if (item.kind == DrawKind::Text) DrawText(canvas, item, row);
        switch (item.role) {
            case ItemRole::ButtonFrame:
                canvas.Put(LeftColumn(item.bounds), row, U'[');
                canvas.Put(RightColumn(item.bounds), row, U']');
                break;
            case ItemRole::FocusedButton:
                canvas.Swap(LeftColumn(item.bounds, item.inset), row, U'[', U'{');
                canvas.Swap(RightColumn(item.bounds, item.inset), row, U']', U'}');
                break;
            case ItemRole::SelectedLine: MarkLine(canvas, item, row, U'*'); break;
            case ItemRole::CaretLine: MarkLine(canvas, item, row, U'>'); break;
            case ItemRole::None: break;
        }
    }
    std::u32string out = Characters(caption);
    out += U'\n';
    out += std::u32string(static_cast<std::size_t>(canvas.columns), U'-');
    out += U'\n';
    for (std::u32string line : canvas.cells) {
        while (!line.empty() && line.back() == U' ') line.pop_back();
        out += line;
        out += U'\n';
    }
    String utf16;
    // An unpaired surrogate shows as U+FFFD in its own cell, even beside
    // another one that it would pair with.
    for (char32_t c : out) append_code_point(utf16, is_surrogate(c) ? U'\uFFFD' : c);
    return to_utf8(utf16);
}

Size TextBackend::Measure(const String& text) {
    // As Characters reads it: a pair is one code point, an unpaired surrogate another.
    long long characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++characters) code_point_at(text, i);
    return {ClampToInt(kCellWidth * characters), kCellHeight};
}

void TextBackend::CreateWindow(Form& form) { windows_[&form]; }

void TextBackend::DestroyWindow(Form& form) { windows_.erase(&form); }

void TextBackend::SetWindowText(Form& form, const String& text) { windows_[&form].caption = text; }

void TextBackend::Present(Form& form, const DisplayList& list) {
    Window& window = windows_[&form];
    window.picture = Draw(window.caption, form.ClientSize(), list);
}

std::string TextBackend::Picture(const Form& form) const {
    const auto found = windows_.find(&form);
    return found == windows_.end() ? std::string() : found->second.picture;
}

}  // namespace forms
