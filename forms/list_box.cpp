#include "forms/list_box.h"

#include <algorithm>
#include <stdexcept>

#include "forms/application.h"
#include "forms/form.h"

namespace forms {

// ---- ObjectCollection ----

int ObjectCollection::Add(String text) {
    ListBox& box = *owner_;
    if (box.retired_ > 0) {
        // Into the first slot a clear left behind in this update: its old
        // text goes now, so the heap takes back one block as it hands out the next.
        box.lines_[box.lines_.size() - box.retired_] = std::move(text);
        --box.retired_;
    } else {
        box.lines_.push_back(std::move(text));
    }
    box.Changed(false);
    return Count() - 1;
}

void ObjectCollection::Insert(int index, String text) {
    ListBox& box = *owner_;
    box.ReleaseRetired();
    if (index < 0 || index > Count()) throw std::out_of_range("line index out of range");
    const bool wasEmpty = Count() == 0;
    if (index == 0 && box.head_ > 0) {
        // Into the spent slot before the first line: no other line moves.
        box.lines_[box.head_ - 1] = std::move(text);
        --box.head_;
    } else {
        const std::size_t slot = box.Slot(index);
        box.lines_.insert(box.lines_.begin() + static_cast<std::ptrdiff_t>(slot), std::move(text));
        for (auto it = std::lower_bound(box.selected_.begin(), box.selected_.end(), slot); it != box.selected_.end(); ++it)
            ++*it;
    }
    if (!wasEmpty && index <= box.caret_) ++box.caret_;
    box.Changed(false);
}

void ObjectCollection::RemoveAt(int index) {
    ListBox& box = *owner_;
    box.CheckIndex(index);
    box.ReleaseRetired();
    const bool wasSelected = box.IsSelected(index);
    box.EraseLine(index);
    const int count = Count();
    box.caret_ = std::clamp(box.caret_, 0, std::max(0, count - 1));
    if (box.anchor_ >= count) box.anchor_ = count - 1;
    box.ClampTop();
    box.Changed(wasSelected);
}

void ObjectCollection::Clear() {
    ListBox& box = *owner_;
    const bool hadSelection = !box.selected_.empty();
    // The array keeps its block: a list is mostly cleared to be filled again
    // (a full reload, say), and the same number of lines then needs no new
    // array, nor the heap's sorting of the freed texts to make room for one.
    // Inside an update the texts stay in their slots, retired, and each line
    // added takes over the next slot and lets its old text go: the heap hands
    // the new texts out of the blocks just given back, warm, instead of
    // sorting all the old ones into its bins first and then drawing the new
    // ones from there. The update's end lets go of the texts left over.
    if (box.updating_ > 0) {
        // The spent slots before the first line hold empty texts.
        box.retired_ = box.lines_.size();
    } else {
        box.lines_.clear();
    }
    box.head_ = 0;
    box.selected_.clear();
    box.caret_ = 0;
    box.anchor_ = -1;
    box.top_ = 0;
    box.Changed(hadSelection);
}

int ObjectCollection::Count() const { return owner_->LineCount(); }

const String& ObjectCollection::operator[](int index) const {
    owner_->CheckIndex(index);
    return owner_->lines_[owner_->Slot(index)];
}

void ObjectCollection::Reserve(int count) {
    owner_->lines_.reserve(owner_->head_ + static_cast<std::size_t>(std::max(0, count)));
}

// ---- ListBox ----

ListBox::ListBox() { SetSize({120, 96}); }

void ListBox::CheckIndex(int index) const {
    if (index < 0 || index >= LineCount()) throw std::out_of_range("line index out of range");
}

void ListBox::EraseLine(int index) {
    const std::size_t slot = Slot(index);
    auto selected = std::lower_bound(selected_.begin(), selected_.end(), slot);
    if (selected != selected_.end() && *selected == slot) selected = selected_.erase(selected);
    if (index > 0) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(slot));
        for (; selected != selected_.end(); ++selected) --*selected;
        return;
    }
    // The first line: its slot is spent, every other line keeps its slot.
    String().swap(lines_[slot]);
    ++head_;
    if (head_ == lines_.size()) {
        lines_.clear();
        head_ = 0;
    } else if (head_ >= 64 && head_ >= lines_.size() - head_) {
        // Every line moved here was paid for by a removal since the last drop.
        lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(head_));
        for (std::size_t& s : selected_) s -= head_;
        head_ = 0;
    }
}

void ListBox::Changed(bool selection) {
    if (updating_ == 0) Invalidate();
    if (selection) SelectedIndexChanged.Raise(*this, EventArgs());
}

void ListBox::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) {
        ReleaseRetired();
        Invalidate();
    }
}

void ListBox::ReleaseRetired() {
    lines_.erase(lines_.end() - static_cast<std::ptrdiff_t>(retired_), lines_.end());
    retired_ = 0;
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

int ListBox::ItemHeight() const { return Application::FontMetrics().Height; }

int ListBox::PageSize() const { return std::max(1, ClientSize().Height / ItemHeight()); }

std::vector<int> ListBox::SelectedIndices() const {
    std::vector<int> out;
    out.reserve(selected_.size());
    for (std::size_t slot : selected_) out.push_back(static_cast<int>(slot - head_));
    return out;
}

int ListBox::SelectedIndex() const { return selected_.empty() ? -1 : static_cast<int>(selected_.front() - head_); }

bool ListBox::IsSelected(int index) const { return std::binary_search(selected_.begin(), selected_.end(), Slot(index)); }

bool ListBox::GetSelected(int index) const {
    CheckIndex(index);
    return IsSelected(index);
}

void ListBox::SetFlag(int index, bool value) {
    const std::size_t slot = Slot(index);
    const auto it = std::lower_bound(selected_.begin(), selected_.end(), slot);
    const bool is = it != selected_.end() && *it == slot;
    if (is == value) return;
    if (value) selected_.insert(it, slot);
    else selected_.erase(it);
}

void ListBox::SetSelected(int index, bool value) {
    CheckIndex(index);
    if (selectionMode_ == forms::SelectionMode::None) throw std::logic_error("the list has no selection");
    if (value && selectionMode_ == forms::SelectionMode::One) ClearSelected();
    SetFlag(index, value);
    if (value) anchor_ = index;
    Changed(true);
}

void ListBox::ClearSelected() {
    if (selected_.empty()) return;
    ClearFlags();
    Changed(true);
}

void ListBox::SelectRange(int from, int to, bool keep) {
    if (from > to) std::swap(from, to);
    from = std::max(0, from);
    to = std::min(to, LineCount() - 1);
    if (!keep) ClearFlags();
    if (from > to) return;
    const std::size_t first = Slot(from), last = Slot(to);
    // The slots before the range, the range, then the slots after it.
    const auto begin = std::lower_bound(selected_.begin(), selected_.end(), first);
    const auto end = std::upper_bound(begin, selected_.end(), last);
    std::vector<std::size_t> after(end, selected_.end());
    selected_.erase(begin, selected_.end());
    for (std::size_t slot = first; slot <= last; ++slot) selected_.push_back(slot);
    selected_.insert(selected_.end(), after.begin(), after.end());
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
                SelectRange(i, i, false);
                anchor_ = caret_ = i;
                break;
            case forms::SelectionMode::MultiSimple:
                SetFlag(i, !IsSelected(i));
                anchor_ = caret_ = i;
                break;
            case forms::SelectionMode::MultiExtended:
                if (shift) {
                    caret_ = i;
                    if (anchor_ >= 0) SelectRange(anchor_, i, control);
                    else if (!control) ClearFlags();
                } else if (control) {
                    anchor_ = caret_ = i;
                    SetFlag(i, !IsSelected(i));
                } else {
                    anchor_ = caret_ = i;
                    SelectRange(i, i, false);
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
            SelectRange(caret, caret, false);
            break;
        case forms::SelectionMode::MultiExtended:
            if (!extend || anchor_ < 0) anchor_ = extend ? caret_ : caret;
            caret_ = caret;
            SelectRange(anchor_, caret_, false);
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
                SetFlag(caret_, !IsSelected(caret_));
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
    const int end = std::min(LineCount(), top_ + visible);
    const bool focused = Focused();
    // The selected slots from the top line on, walked along with the lines.
    auto selected = std::lower_bound(selected_.begin(), selected_.end(), Slot(std::max(0, top_)));
    for (int i = top_; i < end; ++i) {
        const std::size_t slot = Slot(i);
        const bool isSelected = selected != selected_.end() && *selected == slot;
        if (isSelected) ++selected;
        const Rectangle row{client.X, client.Y + (i - top_) * h, client.Width, h};
        if (isSelected) {
            DisplayItem& mark = AddItem(list, DrawKind::Selection, row, inner);
            mark.color = ColorRole::Highlight;
            mark.role = ItemRole::SelectedLine;
        }
        // Text sits 4 pixels in from the line's left edge.
        DisplayItem& text = AddItem(list, DrawKind::Text, {row.X + 4, row.Y, row.Width - 4, h}, inner);
        text.text = lines_[slot];
        text.color = isSelected ? ColorRole::HighlightText : ColorRole::WindowText;
        if (focused && i == caret_) AddItem(list, DrawKind::Focus, row, inner).role = ItemRole::CaretLine;
    }
}

}  // namespace forms
