// A list of text lines with single or multiple selection.
//
// State: a selected flag per line, the caret line (where the keyboard acts), the
// anchor line (where a Shift range starts; -1 at first) and the top line.
// Storage is one array of texts with a head offset: adding at the end is
// amortised O(1), removing the first line is O(1) (the spent front is dropped
// once it outweighs the lines), removing another line is one move of the
// array's tail, and painting touches only the lines in view. The flags are
// kept as the ascending list of the selected lines, so a line costs its text
// and one string record, and clearing the selection costs what is selected.
#pragma once

#include <vector>

#include "forms/control.h"

namespace forms {

enum class SelectionMode { None = 0, One = 1, MultiSimple = 2, MultiExtended = 3 };

class ListBox;

// The lines of a list box. Indexes out of range throw std::out_of_range.
class ObjectCollection {
public:
    explicit ObjectCollection(ListBox* owner) : owner_(owner) {}
    ObjectCollection(const ObjectCollection&) = delete;
    ObjectCollection& operator=(const ObjectCollection&) = delete;

    // Appends a line and returns its index.
    int Add(String text);
    void Insert(int index, String text);
    // Removes one line; the selection flags move with their lines, the caret and
    // the top line are clamped.
    void RemoveAt(int index);
    // No lines, no selection, top line 0, no anchor.
    void Clear();
    int Count() const;
    const String& operator[](int index) const;
    void Reserve(int count);

private:
    ListBox* owner_;
};

class ListBox : public Control {
public:
    ListBox();

    forms::SelectionMode SelectionMode() const { return selectionMode_; }
    void SetSelectionMode(forms::SelectionMode mode);
    bool IntegralHeight() const { return integralHeight_; }
    // With integral height the list's height is cut to whole lines at layout.
    void SetIntegralHeight(bool value);
    bool FormattingEnabled() const { return formattingEnabled_; }
    void SetFormattingEnabled(bool value) { formattingEnabled_ = value; }
    // Line height: the font's height.
    int ItemHeight() const;

    ObjectCollection Items{this};

    // Indexes of the selected lines, ascending.
    std::vector<int> SelectedIndices() const;
    int SelectedCount() const { return static_cast<int>(selected_.size()); }
    // The first selected line, or -1.
    int SelectedIndex() const;
    bool GetSelected(int index) const;
    // Selecting makes `index` the anchor; neither form moves the caret or scrolls.
    void SetSelected(int index, bool value);
    void ClearSelected();
    int TopIndex() const { return top_; }
    // Scrolls so that `index` is the top line, as far as the lines allow.
    void SetTopIndex(int index);
    int CaretIndex() const { return caret_; }
    int AnchorIndex() const { return anchor_; }
    // Whole lines that fit in the client area (at least 1).
    int PageSize() const;
    // The line at `point` in the client area, or -1 below the last line.
    int IndexFromPoint(Point point) const;
    // The rectangle of line `index` in the client area (may lie outside it).
    Rectangle GetItemRectangle(int index) const;
    void ScrollIntoView(int index);
    // Suspend and resume repainting around bulk changes; they nest. A list
    // cleared and refilled inside one update reuses its texts' memory as it goes.
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    Event<const EventArgs> SelectedIndexChanged;

    // A 2-pixel sunken border on each side.
    forms::Padding ClientInsets() const override { return forms::Padding(2); }

protected:
    bool IsSelectable() const override { return true; }
    bool IsInputKey(Keys keyData) const override;
    void OnMouseClick(Point point, Keys modifiers) override;
    void OnKeyDownDefault(KeyEventArgs& e) override;
    void OnPaint(DisplayList& list, Point origin, Rectangle clip) const override;
    void SetBoundsCore(Rectangle bounds) override;

private:
    friend class ObjectCollection;
    int LineCount() const { return static_cast<int>(lines_.size() - retired_ - head_); }
    std::size_t Slot(int index) const { return head_ + static_cast<std::size_t>(index); }
    void CheckIndex(int index) const;
    bool IsSelected(int index) const;
    void SetFlag(int index, bool value);
    void ClearFlags() { selected_.clear(); }
    // Lets go of the texts a clear inside an update left in their slots.
    void ReleaseRetired();
    // Takes line `index` out of the texts and the flags.
    void EraseLine(int index);
    // Exactly lines from..to (either order) selected; with `keep`, others stay.
    void SelectRange(int from, int to, bool keep);
    void MoveCaret(int caret, bool extend);
    void ClampTop();
    void Changed(bool selection);

    // Line i is lines_[head_ + i]; the slots before head_ are spent and empty.
    // Inside an update, the last retired_ slots hold texts of lines cleared
    // away, which the lines added next replace one by one (see Clear).
    std::vector<String> lines_;
    std::size_t head_ = 0;
    std::size_t retired_ = 0;
    // The slots of the selected lines, ascending.
    std::vector<std::size_t> selected_;
    int caret_ = 0;
    int anchor_ = -1;
    int top_ = 0;
    int updating_ = 0;
    forms::SelectionMode selectionMode_ = forms::SelectionMode::One;
    bool integralHeight_ = true;
    bool formattingEnabled_ = false;
};

}  // namespace forms
