// The lines of a list box and which of them are selected, by index; the list
// box keeps the caret, the anchor, the top line and the painting.
//
// Storage is one array of texts with a head offset: adding at the end is
// amortised O(1), removing the first line is O(1) (the spent front is dropped
// once it outweighs the lines), removing another line is one move of the
// array's tail, and a walk over some lines costs those lines. The selection is
// the ascending list of the selected lines' slots, so a line costs its text and
// one string record, and clearing the selection costs what is selected.
//
// An index is a line's, 0..Count() - 1 (Insert also takes Count()); any other
// is a programming error. The list box checks what its callers pass.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <vector>

#include "forms/text.h"

namespace forms {

class ListLines {
public:
    int Count() const { return static_cast<int>(texts_.size() - retired_ - head_); }
    const String& operator[](int index) const { return texts_[Slot(index)]; }
    // Room for `count` lines without a new array.
    void Reserve(int count);

    void Add(String text) {
        if (retired_ > 0) {
            // Into the first retired slot: its old text goes now, so the heap
            // takes back one block as it hands out the next.
            texts_[texts_.size() - retired_] = std::move(text);
            --retired_;
        } else {
            texts_.push_back(std::move(text));
        }
    }
    // The selection moves with its lines.
    void Insert(int index, String text);
    // Answers whether the line was selected; the selection moves with its lines.
    bool RemoveAt(int index);
    // No lines and no selection. The array keeps its block: a list is mostly
    // cleared to be filled again (a full reload, say), and the same number of
    // lines then needs no new array, nor the heap's sorting of the freed texts
    // to make room for one.
    void Clear();
    // As Clear, but the texts stay in their slots, retired, and each line added
    // next takes over the next slot and lets its old text go: the heap hands the
    // new texts out of the blocks just given back, warm, instead of sorting all
    // the old ones into its bins first and then drawing the new ones from there.
    // Insert, RemoveAt and ReleaseRetired let go of the texts left over.
    void Retire();
    void ReleaseRetired();

    bool IsSelected(int index) const { return std::binary_search(selected_.begin(), selected_.end(), Slot(index)); }
    void SetSelected(int index, bool value);
    // Exactly lines from..to (either order, clamped to the lines) selected;
    // with `keep`, the others stay.
    void SelectRange(int from, int to, bool keep);
    void ClearSelection() { selected_.clear(); }
    int SelectedCount() const { return static_cast<int>(selected_.size()); }
    // Ascending.
    std::vector<int> SelectedIndices() const;
    // The first selected line, or -1.
    int FirstSelected() const { return selected_.empty() ? -1 : static_cast<int>(selected_.front() - head_); }

    // Calls visit(index, text, selected) for lines first..end - 1 in order
    // (clamped to the lines), at the cost of those lines and one search.
    template <class Visit>
    void ForEach(int first, int end, Visit&& visit) const {
        first = std::max(0, first);
        end = std::min(end, Count());
        if (first >= end) return;
        auto selected = std::lower_bound(selected_.begin(), selected_.end(), Slot(first));
        for (int i = first; i < end; ++i) {
            const std::size_t slot = Slot(i);
            const bool isSelected = selected != selected_.end() && *selected == slot;
            if (isSelected) ++selected;
            visit(i, texts_[slot], isSelected);
        }
    }

private:
    std::size_t Slot(int index) const {
        assert(index >= 0 && index <= Count() && "line index out of range");
        return head_ + static_cast<std::size_t>(index);
    }

    // Line i is texts_[head_ + i]; the slots before head_ are spent and empty.
    // After Retire, the last retired_ slots hold texts of lines cleared away.
    std::vector<String> texts_;
    std::size_t head_ = 0;
    std::size_t retired_ = 0;
    // The slots of the selected lines, ascending.
    std::vector<std::size_t> selected_;
};

}  // namespace forms
