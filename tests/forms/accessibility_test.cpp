// What assistive technology sees of the picker and does to it, with no
// platform: the tree, its states and places, the requests, and the notices a
// backend receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/accessibility.h"
#include "forms/backend.h"
#include "forms/text_backend.h"
#include "test_form.h"

namespace forms_test {
namespace {

namespace a11y = forms::accessibility;
using a11y::Change;
using a11y::Node;
using a11y::Role;
using a11y::States;

class Accessibility : public FormsTest {
protected:
    TestForm& Shown(int lines) {
        form = new TestForm(&log);
        for (int i = 0; i < lines; ++i) form->list->Items.Add(forms::from_utf8("track " + std::to_string(i)));
        form->Show();
        return *form;
    }
    Node Line(int i) const { return Node{form->list, i}; }
    std::vector<int> Selected() const { return form->list->SelectedIndices(); }
    TestForm* form = nullptr;
    Log log;
};

// Records what the toolkit reports, as "Change control index count" or
// "FocusMoved name/line".
class NoticeBackend : public forms::TextBackend {
public:
    void Notify(forms::Form&, const a11y::Notice& n) override {
        static const char* const kNames[] = {"Shown", "Closed", "LinesInserted", "LinesRemoved",
                                             "LinesReset", "SelectionChanged", "FocusMoved", "NameChanged"};
        std::string entry = std::string(kNames[static_cast<int>(n.change)]) + " " + forms::to_utf8(n.node.control->Name());
        if (n.node.line >= 0) entry += "/" + std::to_string(n.node.line);
        if (n.change == Change::LinesInserted || n.change == Change::LinesRemoved || n.change == Change::LinesReset)
            entry += " " + std::to_string(n.index) + " " + std::to_string(n.count);
        notices.push_back(entry);
    }
    std::vector<std::string> Take() { return std::exchange(notices, {}); }
    std::vector<std::string> notices;
};

TEST_F(Accessibility, TheTreeIsTheWindowItsButtonsAndItsListOfLinesInTabOrderWithPanelsFlattened) {
    Shown(3);
    const Node root = a11y::Root(*form);
    EXPECT_EQ(a11y::RoleOf(root), Role::Window);
    EXPECT_EQ(a11y::Name(root), u"Pick");
    EXPECT_FALSE(a11y::Parent(root));
    struct Expected { Role role; std::u16string name; std::u16string action; int children; };
    // Tab order: OK (0), then Cancel and Apply tie on 1 (the later added first), the list (3).
    const Expected expected[] = {{Role::PushButton, u"OK", u"press", 0},
                                 {Role::PushButton, u"Cancel", u"press", 0},
                                 {Role::PushButton, u"Apply", u"press", 0},
                                 {Role::List, u"", u"", 3}};
    ASSERT_EQ(a11y::ChildCount(root), 4);
    for (int i = 0; i < 4; ++i) {
        const Node child = a11y::Child(root, i);
        SCOPED_TRACE(i);
        EXPECT_EQ(a11y::RoleOf(child), expected[i].role);
        EXPECT_EQ(a11y::Name(child), expected[i].name);
        EXPECT_EQ(a11y::DefaultAction(child), expected[i].action);
        EXPECT_EQ(a11y::ChildCount(child), expected[i].children);
        EXPECT_EQ(a11y::Parent(child), root) << "the table between them is not a node";
        EXPECT_EQ(a11y::IndexInParent(child), i);
    }
    const Node list = a11y::Child(root, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(a11y::Child(list, i), Line(i));
        EXPECT_EQ(a11y::RoleOf(Line(i)), Role::ListItem);
        EXPECT_EQ(a11y::Name(Line(i)), forms::from_utf8("track " + std::to_string(i)));
        EXPECT_EQ(a11y::Parent(Line(i)), list);
        EXPECT_EQ(a11y::IndexInParent(Line(i)), i);
    }
    EXPECT_THROW(a11y::Child(list, 3), std::out_of_range);
    form->applyButton->Hide();
    EXPECT_EQ(a11y::ChildCount(root), 3) << "a hidden control is not read";
}

TEST_F(Accessibility, EveryNodeIsWhereItIsDrawnAndALineOutsideTheRowsIsOffscreen) {
    Shown(30);
    const Node root = a11y::Root(*form);
    std::vector<Node> nodes;
    for (int i = 0; i < a11y::ChildCount(root); ++i)
        if (a11y::RoleOf(a11y::Child(root, i)) == Role::PushButton) nodes.push_back(a11y::Child(root, i));
    const int rows = form->list->PageSize();
    for (int line : {0, rows - 1}) nodes.push_back(Line(line));
    for (const Node& node : nodes) {
        const forms::Rectangle box = a11y::Bounds(node);
        SCOPED_TRACE(forms::to_utf8(a11y::Name(node)));
        EXPECT_EQ(a11y::HitTest(*form, {box.X + box.Width / 2, box.Y + box.Height / 2}), node);
        EXPECT_FALSE(a11y::Has(a11y::StatesOf(node), States::Offscreen));
    }
    EXPECT_TRUE(a11y::Has(a11y::StatesOf(Line(29)), States::Offscreen));
    EXPECT_FALSE(a11y::HitTest(*form, {-1, 5}));
    form->list->SetTopIndex(29);
    EXPECT_FALSE(a11y::Has(a11y::StatesOf(Line(29)), States::Offscreen));
    EXPECT_TRUE(a11y::Has(a11y::StatesOf(Line(0)), States::Offscreen));
}

TEST_F(Accessibility, StatesFollowTheSelectionTheCaretAndTheFocus) {
    Shown(4);
    const Node list{form->list};
    EXPECT_TRUE(a11y::Has(a11y::StatesOf(list), States::MultiSelectable | States::Focusable | States::Enabled));
    EXPECT_TRUE(a11y::Has(a11y::StatesOf(a11y::Root(*form)), States::Active));
    automation::ClickLine(*form->list, 2);
    automation::ClickLine(*form->list, 3, Keys::Control);
    for (int i = 0; i < 4; ++i) {
        const States s = a11y::StatesOf(Line(i));
        SCOPED_TRACE(i);
        EXPECT_TRUE(a11y::Has(s, States::Selectable | States::Focusable));
        EXPECT_EQ(a11y::Has(s, States::Selected), i >= 2);
        EXPECT_EQ(a11y::Has(s, States::Focused), i == 3);
    }
    EXPECT_EQ(a11y::FocusedNode(*form), Line(3));
    automation::PressKey(*form, Keys::Tab);
    EXPECT_EQ(a11y::FocusedNode(*form), Node{form->okButton}) << "Tab wraps from the list to the first button";
    EXPECT_FALSE(a11y::Has(a11y::StatesOf(Line(3)), States::Focused));
    EXPECT_TRUE(a11y::Has(a11y::StatesOf(Node{form->okButton}), States::Focused));
    form->list->SetEnabled(false);
    EXPECT_FALSE(a11y::Has(a11y::StatesOf(list), States::Enabled));
    EXPECT_FALSE(a11y::Has(a11y::StatesOf(list), States::Focusable));
}

TEST_F(Accessibility, SelectionRequestsAreClicksAndTheHandlersHearThem) {
    Shown(5);
    int heard = 0;
    form->list->SelectedIndexChanged += [&](forms::Object&, const forms::EventArgs&) { ++heard; };
    const struct { int line; a11y::Selecting how; std::vector<int> selected; int caret; } steps[] = {
        {1, a11y::Selecting::Only, {1}, 1},          {3, a11y::Selecting::Add, {1, 3}, 3},
        {3, a11y::Selecting::Add, {1, 3}, 3},        {1, a11y::Selecting::Remove, {3}, 1},
        {1, a11y::Selecting::Remove, {3}, 1},        {4, a11y::Selecting::Toggle, {3, 4}, 4},
        {4, a11y::Selecting::Toggle, {3}, 4},        {0, a11y::Selecting::Only, {0}, 0},
    };
    int clicks = 0;
    for (const auto& step : steps) {
        const std::vector<int> before = Selected();
        a11y::Select(Line(step.line), step.how);
        if (Selected() != before || step.how == a11y::Selecting::Only) ++clicks;
        EXPECT_EQ(Selected(), step.selected) << step.line;
        EXPECT_EQ(form->list->CaretIndex(), step.caret) << step.line;
    }
    EXPECT_EQ(heard, clicks) << "a request that changes nothing clicks nothing";
    a11y::SelectAll(*form->list);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2, 3, 4}));
    a11y::ClearSelection(*form->list);
    EXPECT_TRUE(Selected().empty());
    EXPECT_THROW(a11y::Select(Line(5), a11y::Selecting::Only), automation::AutomationError);
    form->list->SetSelectionMode(forms::SelectionMode::One);
    a11y::Select(Line(2), a11y::Selecting::Only);
    EXPECT_THROW(a11y::SelectAll(*form->list), automation::AutomationError);
    EXPECT_THROW(a11y::ClearSelection(*form->list), automation::AutomationError);
    EXPECT_EQ(Selected(), (std::vector<int>{2}));
}

TEST_F(Accessibility, PressingAButtonIsItsClickAndFocusMovesWithoutSelecting) {
    Shown(5);
    a11y::Select(Line(1), a11y::Selecting::Only);
    a11y::TakeFocus(Line(4));
    EXPECT_EQ(a11y::FocusedNode(*form), Line(4));
    EXPECT_EQ(Selected(), (std::vector<int>{1})) << "taking the focus selects nothing";
    a11y::TakeFocus(Node{form->cancelButton});
    EXPECT_EQ(a11y::FocusedNode(*form), Node{form->cancelButton});
    EXPECT_THROW(a11y::DoDefaultAction(Node{form->list}), automation::AutomationError);
    EXPECT_THROW(a11y::DoDefaultAction(Line(0)), automation::AutomationError);
    form->applyButton->SetEnabled(false);
    EXPECT_THROW(a11y::DoDefaultAction(Node{form->applyButton}), automation::AutomationError);
    log.clear();
    a11y::DoDefaultAction(Node{form->okButton});
    EXPECT_EQ(log, (Log{"okButton.Click", "FormClosing", "FormClosed", "Dispose(true) visible=1", "VisibleChanged",
                    "~TestForm"}));
}

TEST_F(Accessibility, TheBackendHearsEachChangeOnceAndABulkUpdateAsOneReset) {
    NoticeBackend backend;
    forms::Application::SetBackend(&backend);
    form = new TestForm(&log);
    form->list->Items.Add(u"before the window");
    form->Show();
    EXPECT_EQ(backend.Take(), (std::vector<std::string>{"Shown PickForm", "FocusMoved okButton"}))
        << "nothing before the window exists";
    forms::ListBox& list = *form->list;
    a11y::TakeFocus(Node{&list});
    list.Items.Add(u"a");
    list.Items.Insert(0, u"b");
    EXPECT_EQ(backend.Take(), (std::vector<std::string>{"FocusMoved list/0", "LinesInserted list 1 1",
                                                        "LinesInserted list 0 1"}))
        << "the focused line moved down one place: it is still the same line";
    automation::ClickLine(list, 2);
    list.Items.RemoveAt(0);
    EXPECT_EQ(backend.Take(), (std::vector<std::string>{"SelectionChanged list", "FocusMoved list/2",
                                                        "LinesRemoved list 0 1"}));
    list.Items.RemoveAt(1);
    EXPECT_EQ(backend.Take(), (std::vector<std::string>{"LinesRemoved list 1 1", "SelectionChanged list",
                                                        "FocusMoved list/0"}))
        << "the focused line went: the caret's new line has the focus";
    list.BeginUpdate();
    list.Items.Clear();
    for (const char16_t* line : {u"x", u"y", u"z"}) list.Items.Add(line);
    list.EndUpdate();
    EXPECT_EQ(backend.Take(), (std::vector<std::string>{"LinesReset list 0 3", "FocusMoved list/0"}));
    form->applyButton->SetText(u"Try");
    form->Close();
    EXPECT_EQ(backend.Take(), (std::vector<std::string>{"NameChanged applyButton", "Closed PickForm"}));
}

}  // namespace
}  // namespace forms_test
