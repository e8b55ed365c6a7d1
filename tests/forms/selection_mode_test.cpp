// The list box's other selection modes, as a Windows list box has them: One
// (a click or a key selects exactly the caret line, whatever the modifiers),
// MultiSimple (a click toggles its line, keys move only the caret and Space
// toggles the caret line) and None (nothing is ever selected). The queue
// window uses MultiExtended, which list_box_test.cpp checks against a model.
// And the selection of a list whose lines run out.

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "test_form.h"

namespace forms_test {
namespace {

enum class Do { Click, Key, Select, Deselect };

struct Step {
    Do what;
    int line;  // the line clicked or (de)selected
    Keys keys;  // the key pressed, or the click's modifiers
    std::vector<int> selected;
    int caret;  // -1: not pinned
};

struct ModeCase {
    const char* name;
    forms::SelectionMode mode;
    std::vector<Step> steps;
};

const ModeCase mode_cases[] = {
    {"One", forms::SelectionMode::One,
     {{Do::Click, 1, Keys::None, {1}, 1},
      {Do::Click, 3, Keys::Control, {3}, 3},
      {Do::Click, 0, Keys::Shift, {0}, 0},
      {Do::Key, 0, Keys::Down, {1}, 1},
      {Do::Key, 0, Keys::End | Keys::Shift, {4}, 4},
      {Do::Select, 2, Keys::None, {2}, 4},
      {Do::Deselect, 2, Keys::None, {}, 4}}},
    {"MultiSimple", forms::SelectionMode::MultiSimple,
     {{Do::Click, 1, Keys::None, {1}, 1},
      {Do::Click, 3, Keys::None, {1, 3}, 3},
      {Do::Click, 1, Keys::Shift, {3}, 1},
      {Do::Key, 0, Keys::Down, {3}, 2},
      {Do::Key, 0, Keys::Space, {2, 3}, 2},
      {Do::Key, 0, Keys::End, {2, 3}, 4},
      {Do::Key, 0, Keys::Space, {2, 3, 4}, 4},
      {Do::Key, 0, Keys::Home | Keys::Shift, {2, 3, 4}, 0},
      {Do::Select, 0, Keys::None, {0, 2, 3, 4}, 0},
      {Do::Deselect, 3, Keys::None, {0, 2, 4}, 0}}},
    {"None", forms::SelectionMode::None,
     {{Do::Click, 2, Keys::None, {}, -1},
      {Do::Click, 3, Keys::Control, {}, -1},
      {Do::Key, 0, Keys::Home, {}, 0},
      {Do::Key, 0, Keys::Down, {}, 1},
      {Do::Key, 0, Keys::Space, {}, 1}}},
};

class SelectionMode : public FormsTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(SelectionMode, ClicksKeysAndCallsSelectAsAWindowsListBoxDoes) {
    const ModeCase& c = GetParam();
    auto* form = new TestForm();
    forms::ListBox& list = *form->list;
    for (const char16_t* line : {u"zero", u"one", u"two", u"three", u"four"}) list.Items.Add(line);
    list.SetSelected(0, true);
    list.SetSelectionMode(c.mode);
    EXPECT_TRUE(list.SelectedIndices().empty()) << "a new mode starts with nothing selected";
    form->Show();
    list.Focus();
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const Step& s = c.steps[i];
        SCOPED_TRACE(testing::Message() << c.name << " step " << i);
        switch (s.what) {
            case Do::Click: automation::ClickLine(list, s.line, s.keys); break;
            case Do::Key: automation::PressKey(*form, s.keys); break;
            case Do::Select: list.SetSelected(s.line, true); break;
            case Do::Deselect: list.SetSelected(s.line, false); break;
        }
        EXPECT_EQ(list.SelectedIndices(), s.selected);
        EXPECT_EQ(list.SelectedIndex(), s.selected.empty() ? -1 : s.selected.front());
        if (s.caret >= 0) {
            EXPECT_EQ(list.CaretIndex(), s.caret);
        }
    }
    if (c.mode == forms::SelectionMode::None) {
        EXPECT_THROW(list.SetSelected(1, true), std::logic_error);
        EXPECT_TRUE(list.SelectedIndices().empty());
    }
    form->Close();
}

INSTANTIATE_TEST_SUITE_P(Modes, SelectionMode, ::testing::ValuesIn(mode_cases),
                         [](const auto& p_info) { return std::string(p_info.param.name); });

// A queue played to its end: the first line goes until none is left, with the
// selection on the way; a line added then is the first of a fresh list.
TEST_F(FormsTest, AListEmptiedFromTheFrontStartsAfreshAtTheNextLine) {
    auto* form = new TestForm();
    forms::ListBox& list = *form->list;
    form->Show();
    for (const char16_t* line : {u"a", u"b", u"c"}) list.Items.Add(line);
    automation::ClickLine(list, 2);
    for (int left = 2; left >= 0; --left) {
        list.Items.RemoveAt(0);
        EXPECT_EQ(list.Items.Count(), left);
        EXPECT_EQ(list.SelectedIndices(), left > 0 ? std::vector<int>{left - 1} : std::vector<int>{});
    }
    list.Items.Add(u"d");
    list.Items.Add(u"e");
    EXPECT_EQ(list.Items[0], u"d");
    EXPECT_EQ(list.Items[1], u"e");
    EXPECT_TRUE(list.SelectedIndices().empty());
    EXPECT_FALSE(list.GetSelected(0) || list.GetSelected(1));
    EXPECT_EQ(automation::InspectList(list).lines, (std::vector<forms::String>{u"d", u"e"}));
    form->Close();
}

}  // namespace
}  // namespace forms_test
