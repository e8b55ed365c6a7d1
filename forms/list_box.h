// A list of text lines with single or multiple selection.
//
// State: a selected flag per line, the caret line (where the keyboard acts), the
// anchor line (where a Shift range starts; -1 at first) and the top line. The
// lines and their flags are a ListLines (list_lines.h), which says what each
// change costs; painting touches only the lines in view.
#pragma once

#include <vector>

#include "forms/accessibility.h"
#include "forms/control.h"
#include "forms/list_lines.h"

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
    // Line height: the font's height, or the headless 13 where the font reports none.
    int ItemHeight() const;

    ObjectCollection Items{this};

    // Indexes of the selected lines, ascending.
    std::vector<int> SelectedIndices() const;
    int SelectedCount() const { return lines_.SelectedCount(); }
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
    // Moves the caret to `index` and scrolls it into view; the selection stays.
    void SetCaretIndex(int index);
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
    int LineCount() const { return lines_.Count(); }
    void CheckIndex(int index) const;
    void MoveCaret(int caret, bool extend);
    void ClampTop();
    void Changed(bool selection);
    // Reports lines inserted, removed or reset; inside an update, once at its end.
    void LinesChanged(accessibility::Change change, int index, int count);

    ListLines lines_;
    int caret_ = 0;
    int anchor_ = -1;
    int top_ = 0;
    int updating_ = 0;
    bool pendingLines_ = false;
    bool pendingSelection_ = false;
    forms::SelectionMode selectionMode_ = forms::SelectionMode::One;
    bool integralHeight_ = true;
    bool formattingEnabled_ = false;
};

}  // namespace forms
