#include <gtest/gtest.h>

#include "fixture.h"
#include "queue_form.h"

namespace forms_test {
namespace {

using forms::Keys;
namespace automation = forms::automation;

class ListBoxTest : public FormsTest {
protected:
    // The queue window, shown, with `count` lines and the focus on the list.
    QueueForm& Open(int count) {
        form = new QueueForm();
        for (int i = 0; i < count; ++i) form->queueList->Items.Add(u"line " + forms::String(1, char16_t(u'a' + i % 26)));
        form->Show();
        form->queueList->Focus();
        return *form;
    }
    std::vector<int> Selected() const { return form->queueList->SelectedIndices(); }
    QueueForm* form = nullptr;
};

// One user action on the list.
struct Action {
    enum Kind { ClickOn, Key, Select } kind;
    int value;  // line for ClickOn/Select, key code for Key
    Keys modifiers = Keys::None;
};

struct SelectionCase {
    const char* name;
    std::vector<Action> actions;
    std::vector<int> selected;
    int caret;
    int anchor;
};

TEST_F(ListBoxTest, ExtendedSelectionFollowsTheTable) {
    const Keys S = Keys::Shift, C = Keys::Control;
    const int up = int(Keys::Up), down = int(Keys::Down), home = int(Keys::Home), end = int(Keys::End),
              pgdn = int(Keys::PageDown), pgup = int(Keys::PageUp);
    // 40 lines; the list's client area is 254 high, so a page is 19 lines.
    const std::vector<SelectionCase> cases = {
        {"click", {{Action::ClickOn, 3}}, {3}, 3, 3},
        {"click replaces", {{Action::ClickOn, 3}, {Action::ClickOn, 5}}, {5}, 5, 5},
        {"shift+click down", {{Action::ClickOn, 2}, {Action::ClickOn, 5, S}}, {2, 3, 4, 5}, 5, 2},
        {"shift+click up", {{Action::ClickOn, 5}, {Action::ClickOn, 2, S}}, {2, 3, 4, 5}, 2, 5},
        {"shift+click keeps anchor", {{Action::ClickOn, 4}, {Action::ClickOn, 6, S}, {Action::ClickOn, 1, S}},
         {1, 2, 3, 4}, 1, 4},
        {"shift+click without anchor", {{Action::ClickOn, 3, S}}, {}, 3, -1},
        {"ctrl+click adds", {{Action::ClickOn, 1}, {Action::ClickOn, 4, C}}, {1, 4}, 4, 4},
        {"ctrl+click toggles off", {{Action::ClickOn, 1}, {Action::ClickOn, 4, C}, {Action::ClickOn, 1, C}}, {4}, 1, 1},
        {"ctrl+click then shift+click", {{Action::ClickOn, 1}, {Action::ClickOn, 6, C}, {Action::ClickOn, 8, S}},
         {6, 7, 8}, 8, 6},
        {"ctrl+shift+click keeps the rest", {{Action::ClickOn, 1}, {Action::ClickOn, 6, C}, {Action::ClickOn, 8, S | C}},
         {1, 6, 7, 8}, 8, 6},
        {"down", {{Action::ClickOn, 3}, {Action::Key, down}}, {4}, 4, 4},
        {"up at top stays", {{Action::ClickOn, 0}, {Action::Key, up}}, {0}, 0, 0},
        {"shift+down twice", {{Action::ClickOn, 3}, {Action::Key, down, S}, {Action::Key, down, S}}, {3, 4, 5}, 5, 3},
        {"shift+down then up", {{Action::ClickOn, 3}, {Action::Key, down, S}, {Action::Key, up, S}}, {3}, 3, 3},
        {"shift+up", {{Action::ClickOn, 3}, {Action::Key, up, S}}, {2, 3}, 2, 3},
        {"ctrl does not change keys", {{Action::ClickOn, 3}, {Action::Key, down, C}}, {4}, 4, 4},
        {"home", {{Action::ClickOn, 7}, {Action::Key, home}}, {0}, 0, 0},
        {"shift+end", {{Action::ClickOn, 37}, {Action::Key, end, S}}, {37, 38, 39}, 39, 37},
        {"end", {{Action::ClickOn, 2}, {Action::Key, end}}, {39}, 39, 39},
        {"page down", {{Action::ClickOn, 2}, {Action::Key, pgdn}}, {20}, 20, 20},
        {"shift+page down", {{Action::ClickOn, 2}, {Action::Key, pgdn, S}}, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 20, 2},
        {"page up clamps", {{Action::ClickOn, 5}, {Action::Key, pgup}}, {0}, 0, 0},
        {"page down clamps", {{Action::ClickOn, 30}, {Action::Key, pgdn}}, {39}, 39, 39},
        {"key with no anchor starts at caret", {{Action::Key, down, S}}, {0, 1}, 1, 0},
        {"SetSelected anchors without moving caret", {{Action::ClickOn, 2}, {Action::Select, 6}, {Action::Key, down, S}},
         {3, 4, 5, 6}, 3, 6},
        {"SetSelected adds to clicks", {{Action::ClickOn, 2}, {Action::Select, 6}}, {2, 6}, 2, 6},
    };
    for (const auto& c : cases) {
        Open(40);
        for (const Action& a : c.actions) {
            switch (a.kind) {
                case Action::ClickOn: automation::ClickLine(*form->queueList, a.value, a.modifiers); break;
                case Action::Key: automation::PressKey(*form, static_cast<Keys>(a.value) | a.modifiers); break;
                case Action::Select: form->queueList->SetSelected(a.value, true); break;
            }
        }
        const auto info = automation::InspectList(*form->queueList);
        EXPECT_EQ(info.selected, c.selected) << c.name;
        EXPECT_EQ(info.caret, c.caret) << c.name;
        EXPECT_EQ(info.anchor, c.anchor) << c.name;
        form->Close();
        forms::Application::Collect();
    }
}

TEST_F(ListBoxTest, KeysScrollTheCaretIntoViewAndSetSelectedDoesNot) {
    Open(40);
    auto& list = *form->queueList;
    EXPECT_EQ(list.PageSize(), 19);
    automation::PressKey(*form, Keys::End);
    EXPECT_EQ(list.TopIndex(), 21);
    automation::PressKey(*form, Keys::Home);
    EXPECT_EQ(list.TopIndex(), 0);
    list.SetSelected(30, true);
    EXPECT_EQ(list.TopIndex(), 0);
    EXPECT_EQ(list.CaretIndex(), 0);
    for (int i = 0; i < 19; ++i) automation::PressKey(*form, Keys::Down);
    EXPECT_EQ(list.CaretIndex(), 19);
    EXPECT_EQ(list.TopIndex(), 1) << "one line scrolled to bring line 19 into view";
}

TEST_F(ListBoxTest, RemovingALineMovesFlagsAndClampsCaretAndTop) {
    Open(25);
    auto& list = *form->queueList;
    automation::ClickLine(list, 24);  // scrolls: top 6, caret 24
    list.SetSelected(10, true);
    list.SetSelected(12, true);
    EXPECT_EQ(list.TopIndex(), 6);
    list.Items.RemoveAt(11);
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{10, 11, 23})) << "flags move with their lines";
    EXPECT_EQ(list.CaretIndex(), 23);
    EXPECT_EQ(list.TopIndex(), 5) << "no space left below the last line";
    list.Items.RemoveAt(0);
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{9, 10, 22}));
    EXPECT_EQ(list.TopIndex(), 4);
    while (list.Items.Count() > 3) list.Items.RemoveAt(0);
    EXPECT_EQ(list.TopIndex(), 0);
    EXPECT_EQ(list.CaretIndex(), 2);
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{2}));
    list.Items.Clear();
    EXPECT_EQ(list.SelectedIndices(), std::vector<int>{});
    EXPECT_EQ(list.TopIndex(), 0);
    EXPECT_EQ(list.AnchorIndex(), -1);
    EXPECT_EQ(list.Items.Count(), 0);
    // Keys and clicks on an empty list change nothing and do not fail.
    automation::PressKey(*form, Keys::Down);
    automation::Click(list);
    EXPECT_EQ(list.SelectedCount(), 0);
}

TEST_F(ListBoxTest, OutOfRangeIndexesThrow) {
    Open(2);
    auto& list = *form->queueList;
    EXPECT_THROW(list.Items.RemoveAt(2), std::out_of_range);
    EXPECT_THROW(list.Items.RemoveAt(-1), std::out_of_range);
    EXPECT_THROW(list.SetSelected(5, true), std::out_of_range);
    EXPECT_THROW((void)list.Items[2], std::out_of_range);
    EXPECT_THROW(automation::ClickLine(list, 2), automation::AutomationError);
    EXPECT_EQ(list.Items.Count(), 2);
}

TEST_F(ListBoxTest, PaintsOnlyTheLinesInView) {
    Open(0);
    auto& list = *form->queueList;
    for (int i = 0; i < 1000; ++i) list.Items.Add(u"x");
    list.SetTopIndex(500);
    list.SetSelected(501, true);
    int texts = 0, selections = 0, focus = 0;
    for (const auto& item : automation::Paint(*form)) {
        if (item.source != &list) continue;
        texts += item.kind == forms::DrawKind::Text;
        selections += item.kind == forms::DrawKind::Selection;
        focus += item.kind == forms::DrawKind::Focus;
        if (item.kind == forms::DrawKind::Text) {
            EXPECT_EQ(item.clip, forms::Rectangle(2, 2, 138, 254));
        }
    }
    EXPECT_EQ(texts, 20) << "19 whole lines and the one cut at the bottom";
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(focus, 0) << "the caret line 0 is out of view";
}

TEST_F(ListBoxTest, InsertShiftsTheCaretAndFlags) {
    Open(5);
    auto& list = *form->queueList;
    automation::ClickLine(list, 3);
    list.Items.Insert(1, u"new");
    EXPECT_EQ(list.CaretIndex(), 4);
    EXPECT_EQ(list.SelectedIndices(), std::vector<int>{4});
    EXPECT_EQ(list.Items[1], u"new");
}

}  // namespace
}  // namespace forms_test
