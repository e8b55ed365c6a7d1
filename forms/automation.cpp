#include "forms/automation.h"

#include <algorithm>

#include "forms/application.h"
#include "forms/backend.h"
#include "forms/form.h"
#include "forms/list_box.h"

namespace forms::automation {

namespace {

Control* FindIn(Control& parent, std::u16string_view name) {
    for (int i = 0; i < parent.Controls.Count(); ++i) {
        Control* c = parent.Controls[i];
        if (c->Name() == name) return c;
        if (Control* deeper = FindIn(*c, name)) return deeper;
    }
    return nullptr;
}

// Where the control's client area starts in its form's client area.
Point ClientOrigin(const Control& control) {
    if (!control.Parent()) return {0, 0};
    const Point parent = ClientOrigin(*control.Parent());
    const Padding in = control.ClientInsets();
    return {parent.X + control.Left() + in.Left, parent.Y + control.Top() + in.Top};
}

Form& FormOf(Control& control) {
    Form* form = control.FindForm();
    if (!form) throw AutomationError("the control is not on a form");
    return *form;
}

bool ShownInTree(const Control& control) {
    for (const Control* c = &control; c; c = c->Parent())
        if (!c->Visible()) return false;
    return true;
}

}  // namespace

std::vector<Form*> OpenForms() { return Application::OpenForms(); }

Form* FindForm(std::u16string_view name) {
    for (Form* form : Application::OpenForms())
        if (form->Name() == name) return form;
    return nullptr;
}

Control* Find(Form& form, std::u16string_view name) {
    if (form.Name() == name) return &form;
    return FindIn(form, name);
}

ControlInfo Inspect(const Control& control) {
    ControlInfo info;
    info.name = control.Name();
    info.text = control.Text();
    info.bounds = control.Bounds();
    if (control.Parent()) {
        const Point origin = ClientOrigin(*control.Parent());
        info.clientBounds = control.Bounds().Offset(origin.X, origin.Y);
    } else {
        info.clientBounds = control.ClientRectangle();
    }
    info.visible = ShownInTree(control);
    info.enabled = control.Enabled();
    info.focused = control.Focused();
    return info;
}

ListInfo InspectList(const ListBox& list) {
    ListInfo info;
    for (int i = 0; i < list.Items.Count(); ++i) info.lines.push_back(list.Items[i]);
    info.selected = list.SelectedIndices();
    info.caret = list.CaretIndex();
    info.anchor = list.AnchorIndex();
    info.top = list.TopIndex();
    info.pageSize = list.PageSize();
    return info;
}

void Click(Control& control, Keys modifiers) {
    Form& form = FormOf(control);
    if (&control == &form) throw AutomationError("click a control, not the form");
    if (!ShownInTree(control)) throw AutomationError("the control is not visible");
    const Point origin = ClientOrigin(*control.Parent());
    input::Click(form, {origin.X + control.Left() + control.Width() / 2, origin.Y + control.Top() + control.Height() / 2},
                 modifiers);
}

void ClickLine(ListBox& list, int index, Keys modifiers) {
    Form& form = FormOf(list);
    if (!ShownInTree(list)) throw AutomationError("the list is not visible");
    if (index < 0 || index >= list.Items.Count()) throw AutomationError("no such line");
    list.ScrollIntoView(index);
    const Rectangle line = list.GetItemRectangle(index);
    const Point origin = ClientOrigin(list);
    // Middle of the line, but inside the client area when the line is cut at the bottom.
    const int y = std::min(line.Y + line.Height / 2, list.ClientSize().Height - 1);
    input::Click(form, {origin.X + line.X + line.Width / 2, origin.Y + y}, modifiers);
}

void PressKey(Form& form, Keys keyData) { input::KeyDown(form, keyData); }
void MoveTo(Form& form, Point location) { input::MoveWindow(form, location); }
void ResizeTo(Form& form, Size outer) { input::ResizeWindow(form, outer); }
void Close(Form& form) { input::CloseWindow(form); }

DisplayList Paint(const Form& form) {
    DisplayList list;
    form.PaintForm(list);
    return list;
}

namespace {

constexpr int kCellWidth = 6;
constexpr int kCellHeight = 13;
// The picture never grows past this many cells (3072 x 3328 pixels, more than a
// headless window can be); a larger window is cut at the right and the bottom.
constexpr int kMaxColumns = 512;
constexpr int kMaxRows = 256;

struct Canvas {
    int columns;
    int rows;
    std::vector<std::u32string> cells;  // one string of `columns` per row

    Canvas(int c, int r) : columns(c), rows(r), cells(static_cast<std::size_t>(r), std::u32string(static_cast<std::size_t>(c), U' ')) {}
    void Put(int column, int row, char32_t ch) {
        if (column >= 0 && column < columns && row >= 0 && row < rows)
            cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = ch;
    }
    char32_t At(int column, int row) const {
        if (column < 0 || column >= columns || row < 0 || row >= rows) return U' ';
        return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
};

int RowOf(const Rectangle& r) { return (r.Y + r.Height / 2) / kCellHeight; }

std::u32string Characters(const String& text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(c < 0x20 ? U' ' : c);
    }
    return out;
}

void Mark(Canvas& canvas, const DisplayItem& item, char32_t mark) {
    const int column = std::max(item.bounds.X, item.clip.X) / kCellWidth;
    const int row = RowOf(item.bounds);
    const char32_t old = canvas.At(column, row);
    const bool other = (mark == U'*' && old == U'>') || (mark == U'>' && old == U'*');
    canvas.Put(column, row, other || old == U'#' ? U'#' : mark);
}

}  // namespace

std::string RenderText(const Form& form) {
    const DisplayList list = Paint(form);
    const Size client = form.ClientSize();
    Canvas canvas(std::min((client.Width + kCellWidth - 1) / kCellWidth, kMaxColumns),
                  std::min((client.Height + kCellHeight - 1) / kCellHeight, kMaxRows));
    for (const DisplayItem& item : list) {
        const int row = RowOf(item.bounds);
        const int middle = item.bounds.Y + item.bounds.Height / 2;
        if (middle < item.clip.Y || middle >= item.clip.Bottom()) continue;
        const int firstColumn = item.clip.X / kCellWidth;
        const int endColumn = (item.clip.Right() + kCellWidth - 1) / kCellWidth;
        switch (item.kind) {
            case DrawKind::Text: {
                const std::u32string chars = Characters(item.text);
                const long long width = static_cast<long long>(chars.size()) * kCellWidth;
                long long x = item.bounds.X;
                if (item.align == TextAlign::Center) x += (item.bounds.Width - width) / 2;
                // A list line's text is 4 pixels in, so it starts after the marker column.
                long long column = (x + kCellWidth / 2) / kCellWidth;
                for (std::size_t i = 0; i < chars.size() && column < endColumn; ++i, ++column)
                    if (column >= firstColumn) canvas.Put(static_cast<int>(column), row, chars[i]);
                break;
            }
            case DrawKind::Frame:
                if (item.frame != FrameStyle::Sunken) {
                    canvas.Put(item.bounds.X / kCellWidth, row, U'[');
                    canvas.Put((item.bounds.Right() - 1) / kCellWidth, row, U']');
                }
                break;
            case DrawKind::Selection: Mark(canvas, item, U'*'); break;
            case DrawKind::Focus:
                if (item.source && dynamic_cast<const ListBox*>(item.source)) {
                    Mark(canvas, item, U'>');
                } else {
                    const int left = (item.bounds.X - 3) / kCellWidth;
                    const int right = (item.bounds.Right() + 2) / kCellWidth;
                    if (canvas.At(left, row) == U'[') canvas.Put(left, row, U'{');
                    if (canvas.At(right, row) == U']') canvas.Put(right, row, U'}');
                }
                break;
            case DrawKind::Fill: break;
        }
    }
    std::u32string out = Characters(form.Text());
    out += U'\n';
    out += std::u32string(static_cast<std::size_t>(canvas.columns), U'-');
    out += U'\n';
    for (std::u32string line : canvas.cells) {
        while (!line.empty() && line.back() == U' ') line.pop_back();
        out += line;
        out += U'\n';
    }
    String utf16;
    for (char32_t c : out) {
        if (c >= 0x10000) {
            utf16.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            utf16.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            utf16.push_back(static_cast<char16_t>(c));
        }
    }
    return to_utf8(utf16);
}

}  // namespace forms::automation
