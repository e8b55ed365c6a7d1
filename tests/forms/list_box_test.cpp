// The list box against a model that keeps one flag per line, exactly as the
// toolkit notes describe the state, under random sequences of every change:
// clicks with any modifiers, keys, SetSelected, adding, inserting, removing
// (the first line most often, as a playing queue does) and clearing.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "test_form.h"

namespace forms_test {
namespace {

struct ListModel {
    std::vector<forms::String> lines;
    std::vector<bool> selected;
    int caret = 0, anchor = -1, top = 0, page = 1;

    int count() const { return static_cast<int>(lines.size()); }
    void clampTop() { top = std::clamp(top, 0, std::max(0, count() - page)); }
    void scrollIntoView(int index) {
        if (lines.empty()) return;
        if (index < top) top = index;
        else if (index >= top + page) top = index - page + 1;
        clampTop();
    }
    void exactly(int from, int to, bool keep) {
        if (from > to) std::swap(from, to);
        for (int i = 0; i < count(); ++i)
            if (i >= from && i <= to) selected[static_cast<std::size_t>(i)] = true;
            else if (!keep) selected[static_cast<std::size_t>(i)] = false;
    }
    void click(int i, bool shift, bool control) {
        scrollIntoView(i);  // the automation shows the line first
        if (shift) {
            caret = i;
            if (anchor >= 0) exactly(anchor, i, control);
            else if (!control) std::fill(selected.begin(), selected.end(), false);
        } else if (control) {
            anchor = caret = i;
            selected[static_cast<std::size_t>(i)] = !selected[static_cast<std::size_t>(i)];
        } else {
            anchor = caret = i;
            exactly(i, i, false);
        }
        scrollIntoView(caret);
    }
    void key(Keys k, bool shift) {
        if (lines.empty()) return;
        const int step = std::max(1, page - 1);
        int to = caret;
        switch (k) {
            case Keys::Up: to = caret - 1; break;
            case Keys::Down: to = caret + 1; break;
            case Keys::PageUp: to = caret - step; break;
            case Keys::PageDown: to = caret + step; break;
            case Keys::Home: to = 0; break;
            default: to = count() - 1; break;
        }
        to = std::clamp(to, 0, count() - 1);
        if (!shift || anchor < 0) anchor = shift ? caret : to;
        caret = to;
        exactly(anchor, caret, false);
        scrollIntoView(caret);
    }
    void insert(int i, const forms::String& text) {
        const bool wasEmpty = lines.empty();
        lines.insert(lines.begin() + i, text);
        selected.insert(selected.begin() + i, false);
        if (!wasEmpty && i <= caret) ++caret;
    }
    void removeAt(int i) {
        lines.erase(lines.begin() + i);
        selected.erase(selected.begin() + i);
        caret = std::clamp(caret, 0, std::max(0, count() - 1));
        if (anchor >= count()) anchor = count() - 1;
        clampTop();
    }
    std::vector<int> selection() const {
        std::vector<int> out;
        for (int i = 0; i < count(); ++i)
            if (selected[static_cast<std::size_t>(i)]) out.push_back(i);
        return out;
    }
};

class ListBoxModel : public FormsTest {};

TEST_F(ListBoxModel, RandomSequencesOfEveryChangeKeepTheFlagsCaretAnchorAndTopOfTheModel) {
    std::mt19937 rng(20240613);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 4; ++round) {
        auto* form = new TestForm();
        forms::ListBox& list = *form->list;
        form->Show();
        list.Focus();
        ListModel model;
        model.page = list.PageSize();
        int serial = 0;
        const auto fresh = [&] { return forms::from_utf8("L" + std::to_string(serial++)); };
        const auto add = [&] {
            const forms::String text = fresh();
            list.Items.Add(text);
            model.lines.push_back(text);
            model.selected.push_back(false);
        };
        for (int i = 0; i < 200; ++i) add();
        for (int step = 0; step < 3000; ++step) {
            const int n = model.count();
            const int what = pick(100);
            SCOPED_TRACE(testing::Message() << "round " << round << " step " << step << " op " << what);
            if (what < 20) {
                // A playing queue drops its head far more often than anything else.
                if (n > 0) {
                    list.Items.RemoveAt(0);
                    model.removeAt(0);
                }
            } else if (what < 34) {
                add();
            } else if (what < 38) {
                if (n > 0) {
                    const int i = pick(n);
                    list.Items.RemoveAt(i);
                    model.removeAt(i);
                }
            } else if (what < 44) {
                const int i = pick(n + 1) % (pick(3) == 0 ? 1 : n + 1);  // the front often
                const forms::String text = fresh();
                list.Items.Insert(i, text);
                model.insert(i, text);
            } else if (what < 70) {
                if (n > 0) {
                    const int i = pick(n);
                    const bool shift = pick(3) == 0, control = pick(3) == 0;
                    automation::ClickLine(list, i, (shift ? Keys::Shift : Keys::None) | (control ? Keys::Control : Keys::None));
                    model.click(i, shift, control);
                }
            } else if (what < 88) {
                static const Keys keys[] = {Keys::Up, Keys::Down, Keys::PageUp, Keys::PageDown, Keys::Home, Keys::End};
                const Keys k = keys[pick(6)];
                const bool shift = pick(2) == 0, control = pick(4) == 0;
                automation::PressKey(*form, k | (shift ? Keys::Shift : Keys::None) | (control ? Keys::Control : Keys::None));
                model.key(k, shift);
            } else if (what < 99 || pick(10) != 0) {
                if (n > 0) {
                    const int i = pick(n);
                    const bool value = pick(3) != 0;
                    list.SetSelected(i, value);
                    model.selected[static_cast<std::size_t>(i)] = value;
                    if (value) model.anchor = i;
                }
            } else {
                list.Items.Clear();
                model = ListModel{{}, {}, 0, -1, 0, model.page};
                for (int i = 0; i < 150; ++i) add();
            }
            const std::vector<int> expected = model.selection();
            ASSERT_EQ(std::make_tuple(list.SelectedIndices(), list.CaretIndex(), list.AnchorIndex(), list.TopIndex(), list.Items.Count()),
                      std::make_tuple(expected, model.caret, model.anchor, model.top, model.count()));
            ASSERT_EQ(list.SelectedIndex(), expected.empty() ? -1 : expected.front());
            if (n > 0 && model.count() > 0) {
                const int probe = pick(model.count());
                ASSERT_EQ(list.GetSelected(probe), model.selected[static_cast<std::size_t>(probe)]);
                ASSERT_EQ(list.Items[probe], model.lines[static_cast<std::size_t>(probe)]);
            }
            if (step % 100 == 0) {
                ASSERT_EQ(automation::InspectList(list).lines, model.lines);
                // The lines in view are painted from the top line on, the selected ones highlighted.
                std::vector<forms::String> painted, highlighted, expectedHighlighted;
                for (const auto& item : automation::Paint(*form)) {
                    if (item.source != &list || item.kind != forms::DrawKind::Text) continue;
                    painted.push_back(item.text);
                    if (item.color == forms::ColorRole::HighlightText) highlighted.push_back(item.text);
                }
                ASSERT_FALSE(painted.empty());
                for (std::size_t i = 0; i < painted.size(); ++i) {
                    const std::size_t line = static_cast<std::size_t>(model.top) + i;
                    ASSERT_EQ(painted[i], model.lines.at(line));
                    if (model.selected[line]) expectedHighlighted.push_back(painted[i]);
                }
                ASSERT_EQ(highlighted, expectedHighlighted);
            }
        }
        form->Close();
        forms::Application::Collect();
    }
}

// A list cleared and refilled inside one update (a full reload) shows exactly
// its new lines, whatever else changes before the update ends: more or fewer
// lines than before, lines inserted or removed, another clear, a list that
// had lost its first lines.
TEST_F(ListBoxModel, AListClearedInsideAnUpdateShowsOnlyWhatWasAddedAfter) {
    using Lines = std::vector<forms::String>;
    struct reload {
        const char* what;
        int headsTaken;  // first lines removed before the update
        Lines refill;
        std::function<void(forms::ObjectCollection&)> then;
        Lines expected;
    };
    const reload cases[] = {
        {"fewer lines", 0, {u"x", u"y"}, nullptr, {u"x", u"y"}},
        {"more lines", 0, {u"1", u"2", u"3", u"4", u"5", u"6", u"7"}, nullptr, {u"1", u"2", u"3", u"4", u"5", u"6", u"7"}},
        {"none", 0, {}, nullptr, {}},
        {"after the head left", 2, {u"x"}, nullptr, {u"x"}},
        {"then an insert", 1, {u"x", u"y"}, [](auto& items) { items.Insert(1, u"i"); }, {u"x", u"i", u"y"}},
        {"then the first removed", 0, {u"x", u"y"}, [](auto& items) { items.RemoveAt(0); }, {u"y"}},
        {"then another line removed", 0, {u"x", u"y", u"z"}, [](auto& items) { items.RemoveAt(1); }, {u"x", u"z"}},
        {"then cleared again", 0, {u"x"}, [](auto& items) { items.Clear(); items.Add(u"w"); }, {u"w"}},
    };
    for (const reload& c : cases) {
        SCOPED_TRACE(c.what);
        auto* form = new TestForm();
        forms::ListBox& list = *form->list;
        for (const char16_t* text : {u"a", u"b", u"c", u"d", u"e"}) list.Items.Add(text);
        for (int i = 0; i < c.headsTaken; ++i) list.Items.RemoveAt(0);
        list.SetSelected(2, true);
        list.BeginUpdate();
        list.Items.Clear();
        for (const forms::String& text : c.refill) list.Items.Add(text);
        if (c.then) c.then(list.Items);
        EXPECT_EQ(automation::InspectList(list).lines, c.expected);
        list.EndUpdate();
        list.Items.Add(u"last");
        Lines shown = c.expected;
        shown.push_back(u"last");
        EXPECT_EQ(automation::InspectList(list).lines, shown);
        EXPECT_EQ(list.Items.Count(), static_cast<int>(shown.size()));
        EXPECT_EQ(list.SelectedIndices(), std::vector<int>{});
        form->Close();
        forms::Application::Collect();
    }
}

}  // namespace
}  // namespace forms_test

namespace forms_test {
namespace {

class CountingBackend : public forms::TextBackend {
public:
    void Present(forms::Form& form, const forms::DisplayList& list) override {
        ++presents;
        forms::TextBackend::Present(form, list);
    }
    int presents = 0;
};

// A change anywhere in a shown form's tree is presented once at the next pump
// step; a list's changes inside BeginUpdate/EndUpdate (nested) only when the
// outermost update ends; a control deleted from the tree takes its picture
// with it.
TEST_F(ListBoxModel, RepaintRequestsArePresentedOnceAtTheNextPumpStep) {
    CountingBackend backend;
    forms::Application::SetBackend(&backend);
    auto* form = new TestForm();
    auto* extra = new forms::Button();
    extra->SetText(u"Extra");
    form->Controls.Add(extra);
    form->Show();
    forms::ListBox& list = *form->list;
    const auto presented = [&] {
        const int before = backend.presents;
        forms::Application::DoEvents();
        return backend.presents - before;
    };
    EXPECT_EQ(presented(), 1);
    EXPECT_EQ(presented(), 0);
    list.Items.Add(u"one");
    list.Items.Add(u"two");
    EXPECT_EQ(presented(), 1) << "two requests, one picture";
    EXPECT_EQ(presented(), 0);

    list.BeginUpdate();
    list.BeginUpdate();
    for (int i = 0; i < 50; ++i) list.Items.Add(u"more");
    list.Items.RemoveAt(0);
    list.EndUpdate();
    EXPECT_EQ(presented(), 0) << "still inside the outer update";
    list.EndUpdate();
    EXPECT_EQ(presented(), 1);
    EXPECT_NE(backend.Picture(*form).find("two"), std::string::npos);

    EXPECT_NE(backend.Picture(*form).find("Extra"), std::string::npos);
    delete extra;
    EXPECT_EQ(presented(), 1) << "the form lost a control";
    EXPECT_EQ(backend.Picture(*form).find("Extra"), std::string::npos);
    forms::Application::Shutdown();
    forms::Application::SetBackend(nullptr);
}

}  // namespace
}  // namespace forms_test

namespace forms_test {
namespace {

// A backend whose font reports no sound height.
class FontBackend : public forms::TextBackend {
public:
    explicit FontBackend(forms::Size font) : font_(font) {}
    forms::Size FontMetrics() override { return font_; }

private:
    forms::Size font_;
};

// Lines keep the headless height where the font has none, so that laying out,
// paging, hit testing and painting the list never divide by it.
TEST_F(ListBoxModel, AFontOfNoHeightGivesLinesTheHeadlessHeight) {
    for (const int height : {0, -13}) {
        SCOPED_TRACE(height);
        FontBackend backend({6, height});
        forms::Application::SetBackend(&backend);
        auto* form = new forms::Form();
        auto* list = new forms::ListBox();
        list->SetSelectionMode(forms::SelectionMode::MultiExtended);
        form->Controls.Add(list);
        for (int i = 0; i < 40; ++i) list->Items.Add(forms::from_utf8("line " + std::to_string(i)));
        list->SetBounds({0, 0, 100, 100});  // integral: 7 lines of 13 and the border
        form->SetClientSize({100, 100});
        form->Show();
        EXPECT_EQ(list->ItemHeight(), forms::TextBackend::kCell.Height);
        EXPECT_EQ(std::make_pair(list->Height(), list->PageSize()), std::make_pair(95, 7));
        automation::ClickLine(*list, 3);
        automation::PressKey(*form, Keys::PageDown);
        EXPECT_EQ(list->SelectedIndices(), std::vector<int>{9});
        EXPECT_EQ(list->IndexFromPoint({0, 2 * 13}), list->TopIndex() + 2);
        forms::Application::DoEvents();
        EXPECT_NE(backend.Picture(*form).find("line 9"), std::string::npos);
        forms::Application::Shutdown();
        forms::Application::SetBackend(nullptr);
    }
}

}  // namespace
}  // namespace forms_test
