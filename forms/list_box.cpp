#include "forms/list_box.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "forms/application.h"
#include "forms/form.h"
#include "forms/notices.h"
#include "forms/text_backend.h"

namespace forms {

// ---- ObjectCollection ----

int ObjectCollection::Add(String text) {
    ListBox& box = *owner_;
    box.lines_.Add(std::move(text));
    box.LinesChanged(accessibility::Change::LinesInserted, Count() - 1, 1);
    box.Changed(false);
    return Count() - 1;
}

void ObjectCollection::Insert(int index, String text) {
    ListBox& box = *owner_;
    if (index < 0 || index > Count()) throw std::out_of_range("line index out of range");
    const bool wasEmpty = Count() == 0;
    box.lines_.Insert(index, std::move(text));
    if (!wasEmpty && index <= box.caret_) ++box.caret_;
    box.LinesChanged(accessibility::Change::LinesInserted, index, 1);
    box.Changed(false);
}

void ObjectCollection::RemoveAt(int index) {
    ListBox& box = *owner_;
    box.CheckIndex(index);
    const bool wasSelected = box.lines_.RemoveAt(index);
    const int count = Count();
    box.caret_ = std::clamp(box.caret_, 0, std::max(0, count - 1));
    if (box.anchor_ >= count) box.anchor_ = count - 1;
    box.ClampTop();
    box.LinesChanged(accessibility::Change::LinesRemoved, index, 1);
    box.Changed(wasSelected);
}

void ObjectCollection::Clear() {
    ListBox& box = *owner_;
    const bool hadSelection = box.lines_.SelectedCount() > 0;
    // Inside an update the list is most likely being reloaded: the lines added
    // next reuse the texts' memory, and the update's end lets go of the rest.
    if (box.updating_ > 0) box.lines_.Retire();
    else box.lines_.Clear();
    box.caret_ = 0;
    box.anchor_ = -1;
    box.top_ = 0;
    box.LinesChanged(accessibility::Change::LinesReset, 0, 0);
    box.Changed(hadSelection);
}

int ObjectCollection::Count() const { return owner_->LineCount(); }

const String& ObjectCollection::operator[](int index) const {
    owner_->CheckIndex(index);
    return owner_->lines_[index];
}

void ObjectCollection::Reserve(int count) { owner_->lines_.Reserve(count); }

// ---- ListBox ----

ListBox::ListBox() { SetSize({120, 96}); }

void ListBox::CheckIndex(int index) const {
    if (index < 0 || index >= LineCount()) throw std::out_of_range("line index out of range");
}

void ListBox::Changed(bool selection) {
    if (updating_ == 0) {
        Invalidate();
        if (selection) detail::Notify(*this, accessibility::Change::SelectionChanged);
        detail::NoteFocus(*this);
    } else {
        pendingSelection_ = pendingSelection_ || selection;
    }
    if (selection) SelectedIndexChanged.Raise(*this, EventArgs());
}

void ListBox::LinesChanged(accessibility::Change change, int index, int count) {
    if (updating_ > 0) pendingLines_ = true;
    else detail::Notify(*this, change, index, count);
}

void ListBox::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) {
        lines_.ReleaseRetired();
        Invalidate();
        // What changed inside the update is reported as a whole.
        if (std::exchange(pendingLines_, false))
            detail::Notify(*this, accessibility::Change::LinesReset, 0, LineCount());
        if (std::exchange(pendingSelection_, false)) detail::Notify(*this, accessibility::Change::SelectionChanged);
        detail::NoteFocus(*this);
    }
}

void ListBox::SetSelectionMode(forms::SelectionMode mode) {
    if (selectionMode_ == mode) return;
    selectionMode_ = mode;
    ClearSelected();
}

void ListBox::SetIntegralHeight(bool value) {
    if (integralHeight_ == value) return;
    integralHeight_ = value;
    RequestParentLayout();
}

void ListBox::SetBoundsCore(Rectangle bounds) {
    bounds = Bounded(bounds);
    if (integralHeight_) {
        const int inset = ClientInsets().Vertical();
        const int lines = std::max(1, (bounds.Height - inset) / ItemHeight());
        bounds.Height = std::min(bounds.Height, lines * ItemHeight() + inset);
    }
    Control::SetBoundsCore(bounds);
    ClampTop();
}

int ListBox::ItemHeight() const {
    // Everything that places lines divides by their height: a font that
    // reports none gets the headless line height.
    const int height = Application::FontMetrics().Height;
    return height > 0 ? height : TextBackend::kCell.Height;
}

int ListBox::PageSize() const { return std::max(1, ClientSize().Height / ItemHeight()); }

std::vector<int> ListBox::SelectedIndices() const { return lines_.SelectedIndices(); }

int ListBox::SelectedIndex() const { return lines_.FirstSelected(); }

bool ListBox::GetSelected(int index) const {
    CheckIndex(index);
    return lines_.IsSelected(index);
}

void ListBox::SetSelected(int index, bool value) {
    CheckIndex(index);
    if (selectionMode_ == forms::SelectionMode::None) throw std::logic_error("the list has no selection");
    if (value && selectionMode_ == forms::SelectionMode::One) ClearSelected();
    lines_.SetSelected(index, value);
    if (value) anchor_ = index;
    Changed(true);
}

void ListBox::ClearSelected() {
    if (lines_.SelectedCount() == 0) return;
    lines_.ClearSelection();
    Changed(true);
}

void ListBox::SetCaretIndex(int index) {
    CheckIndex(index);
    caret_ = index;
    ScrollIntoView(index);
    Changed(false);
}

void ListBox::ClampTop() {
    const int maxTop = std::max(0, LineCount() - PageSize());
    top_ = std::clamp(top_, 0, maxTop);
}

void ListBox::SetTopIndex(int index) {
    top_ = index;
    ClampTop();
    Invalidate();
}

void ListBox::ScrollIntoView(int index) {
    if (LineCount() == 0) return;
    const int page = PageSize();
    if (index < top_) top_ = index;
    else if (index >= top_ + page) top_ = index - page + 1;
    ClampTop();
    Invalidate();
}

Rectangle ListBox::GetItemRectangle(int index) const {
    const int h = ItemHeight();
    return {0, (index - top_) * h, ClientSize().Width, h};
}

int ListBox::IndexFromPoint(Point point) const {
    if (point.Y < 0) return -1;
    const long long index = top_ + point.Y / ItemHeight();
    return index < LineCount() ? static_cast<int>(index) : -1;
}

void ListBox::OnMouseClick(Point point, Keys modifiers) {
    Focus();
    const int i = IndexFromPoint(point);
    if (i >= 0 && selectionMode_ != forms::SelectionMode::None) {
        const bool shift = HasFlag(modifiers, Keys::Shift);
        const bool control = HasFlag(modifiers, Keys::Control);
        switch (selectionMode_) {
            case forms::SelectionMode::One:
                lines_.SelectRange(i, i, false);
                anchor_ = caret_ = i;
                break;
            case forms::SelectionMode::MultiSimple:
                lines_.SetSelected(i, !lines_.IsSelected(i));
                anchor_ = caret_ = i;
                break;
            case forms::SelectionMode::MultiExtended:
                if (shift) {
                    caret_ = i;
                    if (anchor_ >= 0) lines_.SelectRange(anchor_, i, control);
                    else if (!control) lines_.ClearSelection();
                } else if (control) {
                    anchor_ = caret_ = i;
                    lines_.SetSelected(i, !lines_.IsSelected(i));
                } else {
                    anchor_ = caret_ = i;
                    lines_.SelectRange(i, i, false);
                }
                break;
            case forms::SelectionMode::None: break;
        }
        ScrollIntoView(caret_);
        Changed(true);
    }
    OnClick();
}

bool ListBox::IsInputKey(Keys keyData) const {
    switch (keyData & Keys::KeyCode) {
        case Keys::Up:
        case Keys::Down:
        case Keys::Left:
        case Keys::Right:
        case Keys::PageUp:
        case Keys::PageDown:
        case Keys::Home:
        case Keys::End: return true;
        default: return false;
    }
}

void ListBox::MoveCaret(int caret, bool extend) {
    const int last = LineCount() - 1;
    caret = std::clamp(caret, 0, last);
    switch (selectionMode_) {
        case forms::SelectionMode::None: caret_ = caret; break;
        case forms::SelectionMode::MultiSimple: caret_ = caret; break;  // the caret moves, Space would toggle
        case forms::SelectionMode::One:
            caret_ = anchor_ = caret;
            lines_.SelectRange(caret, caret, false);
            break;
        case forms::SelectionMode::MultiExtended:
            if (!extend || anchor_ < 0) anchor_ = extend ? caret_ : caret;
            caret_ = caret;
            lines_.SelectRange(anchor_, caret_, false);
            break;
    }
    ScrollIntoView(caret_);
    Changed(selectionMode_ != forms::SelectionMode::None && selectionMode_ != forms::SelectionMode::MultiSimple);
}

void ListBox::OnKeyDownDefault(KeyEventArgs& e) {
    if (LineCount() == 0) return;
    // A one-line page would make Page Up/Down stand still; they move at least one line.
    const int step = std::max(1, PageSize() - 1);
    int caret;
    switch (e.KeyCode) {
        case Keys::Up:
        case Keys::Left: caret = caret_ - 1; break;
        case Keys::Down:
        case Keys::Right: caret = caret_ + 1; break;
        case Keys::PageUp: caret = caret_ - step; break;
        case Keys::PageDown: caret = caret_ + step; break;
        case Keys::Home: caret = 0; break;
        case Keys::End: caret = LineCount() - 1; break;
        case Keys::Space:
            if (selectionMode_ == forms::SelectionMode::MultiSimple) {
                lines_.SetSelected(caret_, !lines_.IsSelected(caret_));
                Changed(true);
                e.Handled = true;
            }
            return;
        default: return;
    }
    e.Handled = true;
    MoveCaret(caret, e.Shift);
}

void ListBox::OnPaint(DisplayList& list, Point origin, Rectangle clip) const {
    const Rectangle box{origin, Size()};
    AddItem(list, DrawKind::Fill, box, clip).color = ColorRole::Window;
    AddItem(list, DrawKind::Frame, box, clip);
    const forms::Padding in = ClientInsets();
    const Rectangle client{origin.X + in.Left, origin.Y + in.Top, ClientSize().Width, ClientSize().Height};
    const Rectangle inner = Rectangle::Intersect(clip, client);
    const int h = ItemHeight();
    // Only the lines in view: the last may be cut by the bottom edge.
    const int visible = (client.Height + h - 1) / h;
    const bool focused = Focused();
    lines_.ForEach(top_, top_ + visible, [&](int i, const String& line, bool isSelected) {
        const Rectangle row{client.X, client.Y + (i - top_) * h, client.Width, h};
        if (isSelected) {
            DisplayItem& mark = AddItem(list, DrawKind::Selection, row, inner);
            mark.color = ColorRole::Highlight;
            mark.role = ItemRole::SelectedLine;
        }
        // Text sits 4 pixels in from the line's left edge.
        DisplayItem& text = AddItem(list, DrawKind::Text, {row.X + 4, row.Y, row.Width - 4, h}, inner);
        text.text = line;
        text.color = isSelected ? ColorRole::HighlightText : ColorRole::WindowText;
        if (focused && i == caret_) AddItem(list, DrawKind::Focus, row, inner).role = ItemRole::CaretLine;
    });
}

}  // namespace forms
