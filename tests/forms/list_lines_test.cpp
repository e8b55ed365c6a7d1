// The lines of a list box against a vector of (text, flag) pairs, under random
// sequences of every change, the first line removed most often (a playing
// queue), so that the spent front is dropped many times with lines selected
// on either side of it; with clears that retire the texts and lines added
// into the retired slots.

#include "forms/list_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Line {
    forms::String text;
    bool selected = false;
    bool operator==(const Line&) const = default;
    friend void PrintTo(const Line& line, std::ostream* out) {
        *out << forms::to_utf8(line.text) << (line.selected ? " (selected)" : "");
    }
};

std::vector<Line> Contents(const forms::ListLines& lines, int first, int end) {
    std::vector<Line> out;
    lines.ForEach(first, end, [&](int i, const forms::String& text, bool selected) {
        EXPECT_EQ(i, std::max(0, first) + static_cast<int>(out.size())) << "lines visited in order";
        out.push_back({text, selected});
    });
    return out;
}

std::vector<Line> Contents(const forms::ListLines& lines) { return Contents(lines, 0, lines.Count()); }

TEST(ListLines, RandomChangesKeepTheTextsAndFlagsOfAVectorModel) {
    std::mt19937 rng(20261210);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    forms::ListLines lines;
    std::vector<Line> model;
    int serial = 0;
    const auto fresh = [&] { return forms::from_utf8("line " + std::to_string(serial++)); };
    for (int i = 0; i < 200; ++i) {
        model.push_back({fresh()});
        lines.Add(model.back().text);
    }
    for (int step = 0; step < 20000; ++step) {
        const int n = static_cast<int>(model.size());
        const int what = pick(100);
        SCOPED_TRACE(testing::Message() << "step " << step << " op " << what);
        if (what < 35) {
            if (n > 0) {
                ASSERT_EQ(lines.RemoveAt(0), model.front().selected);
                model.erase(model.begin());
            }
        } else if (what < 55) {
            const forms::String text = fresh();
            lines.Add(text);
            model.push_back({text});
        } else if (what < 60) {
            if (n > 0) {
                const int i = pick(n);
                ASSERT_EQ(lines.RemoveAt(i), model[static_cast<std::size_t>(i)].selected);
                model.erase(model.begin() + i);
            }
        } else if (what < 68) {
            const int i = pick(3) == 0 ? 0 : pick(n + 1);
            const forms::String text = fresh();
            lines.Insert(i, text);
            model.insert(model.begin() + i, {text});
        } else if (what < 84) {
            if (n > 0) {
                const int i = pick(n);
                const bool value = pick(2) == 0;
                lines.SetSelected(i, value);
                model[static_cast<std::size_t>(i)].selected = value;
            }
        } else if (what < 96) {
            // Ranges in either order, reaching past either end.
            const int from = pick(n + 4) - 2, to = pick(n + 4) - 2;
            const bool keep = pick(2) == 0;
            lines.SelectRange(from, to, keep);
            for (int i = 0; i < n; ++i) {
                const bool inside = i >= std::min(from, to) && i <= std::max(from, to);
                if (inside || !keep) model[static_cast<std::size_t>(i)].selected = inside;
            }
        } else if (what < 97) {
            lines.ClearSelection();
            for (Line& line : model) line.selected = false;
        } else if (what < 99) {
            // Rarely, so that the front is dropped in between.
            if (pick(8) != 0) continue;
            // A reload: retired, refilled with more or fewer lines, released.
            lines.Retire();
            model.clear();
            ASSERT_EQ(lines.Count(), 0);
            const int refill = pick(2) == 0 ? pick(n + 1) : n + pick(300);
            for (int i = 0; i < refill; ++i) {
                const forms::String text = fresh();
                lines.Add(text);
                model.push_back({text});
            }
            ASSERT_EQ(Contents(lines), model) << "inside the reload";
            if (pick(2) == 0) lines.ReleaseRetired();
        } else if (pick(8) == 0) {
            lines.Clear();
            model.clear();
        }
        ASSERT_EQ(lines.Count(), static_cast<int>(model.size()));
        std::vector<int> selected;
        for (int i = 0; i < static_cast<int>(model.size()); ++i)
            if (model[static_cast<std::size_t>(i)].selected) selected.push_back(i);
        ASSERT_EQ(lines.SelectedIndices(), selected);
        ASSERT_EQ(lines.SelectedCount(), static_cast<int>(selected.size()));
        ASSERT_EQ(lines.FirstSelected(), selected.empty() ? -1 : selected.front());
        if (step % 50 == 0) {
            ASSERT_EQ(Contents(lines), model);
            for (int i = 0; i < static_cast<int>(model.size()); ++i) {
                ASSERT_EQ(lines[i], model[static_cast<std::size_t>(i)].text);
                ASSERT_EQ(lines.IsSelected(i), model[static_cast<std::size_t>(i)].selected);
            }
        }
        if (step % 10 == 0 && !model.empty()) {
            // A window of lines, as painting walks them, cut at either end.
            const int first = pick(static_cast<int>(model.size()) + 2) - 1, end = first + pick(8);
            const std::vector<Line> window(model.begin() + std::clamp(first, 0, static_cast<int>(model.size())),
                                           model.begin() + std::clamp(end, 0, static_cast<int>(model.size())));
            ASSERT_EQ(Contents(lines, first, end), window);
        }
    }
}

}  // namespace
