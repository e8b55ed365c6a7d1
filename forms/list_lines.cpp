#include "forms/list_lines.h"

namespace forms {

void ListLines::Reserve(int count) { texts_.reserve(head_ + static_cast<std::size_t>(std::max(0, count))); }

void ListLines::Insert(int index, String text) {
    ReleaseRetired();
    if (index == 0 && head_ > 0) {
        // Into the spent slot before the first line: no other line moves.
        texts_[head_ - 1] = std::move(text);
        --head_;
        return;
    }
    const std::size_t slot = Slot(index);
    texts_.insert(texts_.begin() + static_cast<std::ptrdiff_t>(slot), std::move(text));
    for (auto it = std::lower_bound(selected_.begin(), selected_.end(), slot); it != selected_.end(); ++it) ++*it;
}

bool ListLines::RemoveAt(int index) {
    ReleaseRetired();
    const std::size_t slot = Slot(index);
    auto selected = std::lower_bound(selected_.begin(), selected_.end(), slot);
    const bool wasSelected = selected != selected_.end() && *selected == slot;
    if (wasSelected) selected = selected_.erase(selected);
    if (index > 0) {
        texts_.erase(texts_.begin() + static_cast<std::ptrdiff_t>(slot));
        for (; selected != selected_.end(); ++selected) --*selected;
        return wasSelected;
    }
    // The first line: its slot is spent, every other line keeps its slot.
    String().swap(texts_[slot]);
    ++head_;
    if (head_ == texts_.size()) {
        texts_.clear();
        head_ = 0;
    } else if (head_ >= 64 && head_ >= texts_.size() - head_) {
        // Every line moved here was paid for by a removal since the last drop.
        texts_.erase(texts_.begin(), texts_.begin() + static_cast<std::ptrdiff_t>(head_));
        for (std::size_t& s : selected_) s -= head_;
        head_ = 0;
    }
    return wasSelected;
}

void ListLines::Clear() {
    texts_.clear();
    head_ = 0;
    retired_ = 0;
    selected_.clear();
}

void ListLines::Retire() {
    // The spent slots before the first line hold empty texts; they retire too.
    retired_ = texts_.size();
    head_ = 0;
    selected_.clear();
}

void ListLines::ReleaseRetired() {
    texts_.erase(texts_.end() - static_cast<std::ptrdiff_t>(retired_), texts_.end());
    retired_ = 0;
}

void ListLines::SetSelected(int index, bool value) {
    const std::size_t slot = Slot(index);
    const auto it = std::lower_bound(selected_.begin(), selected_.end(), slot);
    const bool is = it != selected_.end() && *it == slot;
    if (is == value) return;
    if (value) selected_.insert(it, slot);
    else selected_.erase(it);
}

void ListLines::SelectRange(int from, int to, bool keep) {
    if (from > to) std::swap(from, to);
    from = std::max(0, from);
    to = std::min(to, Count() - 1);
    if (!keep) selected_.clear();
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

std::vector<int> ListLines::SelectedIndices() const {
    std::vector<int> out;
    out.reserve(selected_.size());
    for (std::size_t slot : selected_) out.push_back(static_cast<int>(slot - head_));
    return out;
}

}  // namespace forms
