#include <gtest/gtest.h>

#include <tuple>

#include "test_form.h"

namespace forms_test {
namespace {

class FormTest : public FormsTest {
protected:
    // The test form, shown, with `count` lines and the focus on the list.
    TestForm& Open(int count) {
        form = new TestForm(&log);
        for (int i = 0; i < count; ++i) form->list->Items.Add(u"line " + forms::String(1, char16_t(u'a' + i % 26)));
        form->Show();
        form->list->Focus();
        log.clear();
        return *form;
    }
    Log log;  // outlives the forms, which may still log while TearDown shuts the toolkit down
    TestForm* form = nullptr;
};

TEST_F(FormTest, ShowFocusesTheFirstControlInTabOrderThenActivatesAndShownComesFromThePump) {
    form = new TestForm(&log);
    form->Shown += [&](forms::Object&, const forms::EventArgs&) { log.push_back("Shown"); };
    EXPECT_TRUE(log.empty()) << "building the window calls none of its handlers";
    EXPECT_TRUE(automation::OpenForms().empty());
    form->Show();
    EXPECT_EQ(log, (Log{"Load", "VisibleChanged", "Activated"}));
    EXPECT_TRUE(form->okButton->Focused()) << "TabIndex 0";
    EXPECT_EQ(form->TabOrder(), (std::vector<forms::Control*>{form->okButton, form->cancelButton, form->applyButton,
                                                               form->list}));
    EXPECT_EQ(std::make_pair(automation::OpenForms(), forms::Application::ActiveForm()),
              std::make_pair(std::vector<forms::Form*>{form}, static_cast<forms::Form*>(form)));
    EXPECT_TRUE(forms::Application::DoEvents());
    EXPECT_EQ(log.back(), "Shown");
}

TEST_F(FormTest, TabOrderTiesGoToTheLaterAdded) {
    auto* dialog = new forms::Form();
    auto *first = new forms::Button(), *second = new forms::Button();
    dialog->Controls.Add(first);
    dialog->Controls.Add(second);
    EXPECT_EQ(dialog->TabOrder(), (std::vector<forms::Control*>{second, first}));
    dialog->Show();
    EXPECT_TRUE(second->Focused());
    for (const auto& [key, focused] : {std::pair{Keys::Tab, first}, {Keys::Tab, second} /* wraps */, {Keys::Tab | Keys::Shift, first}}) {
        automation::PressKey(*dialog, key);
        EXPECT_TRUE(focused->Focused());
    }
}

TEST_F(FormTest, KeysRouteThroughPreviewThenDialogKeysThenTheControl) {
    const auto previewThenCloseBy = [](int code, const char* button) {
        return Log{"Form.KeyDown " + std::to_string(code), std::string(button) + ".Click", "FormClosing", "FormClosed",
                   "Dispose(true) visible=1", "VisibleChanged"};
    };
    // handled: the form's handler marks keys handled; buttons: accept and cancel are set.
    const struct { const char* name; const char16_t* focus; Keys key; bool handled, buttons; Log log; } cases[] = {
        {"Enter on the list presses accept", u"list", Keys::Enter, false, true, previewThenCloseBy(13, "okButton")},
        {"Esc on the list presses cancel", u"list", Keys::Escape, false, true, previewThenCloseBy(27, "cancelButton")},
        {"Enter on another button presses accept", u"applyButton", Keys::Enter, false, true, previewThenCloseBy(13, "okButton")},
        {"Esc on a button presses cancel", u"okButton", Keys::Escape, false, true, previewThenCloseBy(27, "cancelButton")},
        {"Handled Enter presses nothing", u"applyButton", Keys::Enter, true, true, {"Form.KeyDown 13"}},
        {"no accept: Enter presses the focused button", u"applyButton", Keys::Enter, false, false,
         {"Form.KeyDown 13", "applyButton.Click"}},
        {"Delete: form first, then the list", u"list", Keys::Delete, false, true, {"Form.KeyDown 46", "list.KeyDown 46"}},
        {"Handled stops the list", u"list", Keys::Delete, true, true, {"Form.KeyDown 46"}},
        {"Handled keeps the selection", u"list", Keys::Down, true, true, {"Form.KeyDown 40"}},
        {"Space clicks the focused button after preview", u"applyButton", Keys::Space, false, true,
         {"Form.KeyDown 32", "applyButton.Click"}},
        {"arrows on a button move the focus", u"cancelButton", Keys::Right, false, true, {"Form.KeyDown 39"}},
        {"no cancel: the form sees Esc", u"list", Keys::Escape, false, false, {"Form.KeyDown 27", "list.KeyDown 27"}},
        {"no accept: the form sees Enter", u"list", Keys::Enter, false, false, {"Form.KeyDown 13", "list.KeyDown 13"}},
    };
    for (const auto& c : cases) {
        Open(2);
        form->handleKeys = c.handled;
        form->SetAcceptButton(c.buttons ? form->okButton : nullptr);
        form->SetCancelButton(c.buttons ? form->cancelButton : nullptr);
        automation::Find(*form, c.focus)->Focus();
        // The heavier frame marks the button that Enter presses.
        if (auto* button = dynamic_cast<forms::Button*>(automation::Find(*form, c.focus))) {
            EXPECT_EQ(button->IsDefault(), !c.buttons || button == form->okButton) << c.name;
        }
        automation::PressKey(*form, c.key);
        // The window may be gone; the log says what happened, the destructor last.
        if (!log.empty() && log.back() == "~TestForm") log.pop_back();
        EXPECT_EQ(log, c.log) << c.name;
        if (!automation::OpenForms().empty()) {
            EXPECT_TRUE(c.key != Keys::Down || form->list->CaretIndex() == 0) << c.name;
            EXPECT_TRUE(c.key != Keys::Right || form->applyButton->Focused()) << c.name;
            form->Close();
        }
        forms::Application::Collect();
    }
}

TEST_F(FormTest, CancelButtonGetsCancelAndClicksCopyTheDialogResult) {
    auto* dialog = new forms::Form();
    auto *ok = new forms::Button(), *other = new forms::Button();
    ok->SetDialogResult(forms::DialogResult::OK);
    dialog->Controls.Add(ok);
    dialog->Controls.Add(other);
    dialog->SetCancelButton(other);
    EXPECT_EQ(other->DialogResult(), forms::DialogResult::Cancel);
    dialog->SetCancelButton(ok);
    EXPECT_EQ(ok->DialogResult(), forms::DialogResult::OK) << "an existing result stays";
    int clicks = 0;
    ok->Click += [&](forms::Object&, const forms::EventArgs&) { ++clicks; };
    ok->PerformClick();
    EXPECT_EQ(std::make_pair(clicks, dialog->DialogResult()), std::make_pair(0, forms::DialogResult::None))
        << "PerformClick does nothing on a hidden form";
    dialog->Show();
    ok->PerformClick();
    EXPECT_EQ(std::make_pair(clicks, dialog->DialogResult()), std::make_pair(1, forms::DialogResult::OK));
    EXPECT_TRUE(dialog->Visible()) << "a non-modal form stays open";
}

TEST_F(FormTest, SizeAndLocationEventsFireOnlyOnChange) {
    form = new TestForm(&log);
    form->SetLocation({0, 0});
    form->SetSize({213, 187});
    EXPECT_TRUE(log.empty());
    form->SetWidth(200);
    form->SetLocation({10, 20});
    EXPECT_EQ(log, (Log{"Resize", "Move"})) << "hidden forms fire too";
    form->Show();
    log.clear();
    automation::MoveTo(*form, {10, 20});
    automation::ResizeTo(*form, {200, 187});
    EXPECT_TRUE(log.empty());
    automation::ResizeTo(*form, {100, 50});
    EXPECT_EQ(std::make_pair(log, form->Size()), std::make_pair(Log{"Resize"}, forms::Size(120, 90)));
    automation::MoveTo(*form, {-5, 7});
    EXPECT_EQ(form->Location(), forms::Point(-5, 7));
}

TEST_F(FormTest, CloseRunsClosingClosedThenDisposeAndFreesLater) {
    Open(0);
    form->cancelClose = true;
    automation::Close(*form);
    EXPECT_EQ(log, (Log{"FormClosing"}));
    EXPECT_TRUE(form->Visible());
    form->cancelClose = false;
    log.clear();
    form->Close();
    EXPECT_EQ(log, (Log{"FormClosing", "FormClosed", "Dispose(true) visible=1", "VisibleChanged"}));
    EXPECT_TRUE(form->IsDisposed() && !form->Visible()) << "still readable until the next pump step";
    EXPECT_TRUE(automation::OpenForms().empty());
    EXPECT_EQ(forms::Application::LiveFormCount(), 1);
    forms::Application::Collect();
    EXPECT_EQ(std::make_pair(log.back(), forms::Application::LiveFormCount()), std::make_pair(std::string("~TestForm"), 0));
}

TEST_F(FormTest, CollectInsideADispatchWaitsForItToUnwind) {
    Open(0);
    form->applyButton->Click += [&](forms::Object&, const forms::EventArgs&) {
        form->Close();
        forms::Application::Collect();
        log.push_back(form->IsDisposed() ? "still there" : "?");
    };
    automation::Click(*form->applyButton);
    EXPECT_EQ(log[log.size() - 2], "still there");
    EXPECT_EQ(log.back(), "~TestForm");
}

TEST_F(FormTest, AThrowingConstructorLeaksNothingShutdownFreesOpenFormsAndANeverShownOneOnlyDisposes) {
    EXPECT_THROW(new TestForm(&log, {}, true), std::runtime_error);
    EXPECT_EQ(forms::Application::LiveFormCount(), 0);
    delete new forms::Button();  // a later control is not adopted by the dead form
    Log second;
    log.clear();
    (new TestForm(&log))->Show();
    new TestForm(&second);
    forms::Application::Shutdown();
    EXPECT_EQ(log, (Log{"Load", "VisibleChanged", "Activated", "Dispose(true) visible=1", "VisibleChanged", "~TestForm"}));
    EXPECT_EQ(second, (Log{"Dispose(true) visible=0", "~TestForm"}));
    auto* never = new TestForm(&second);  // a form never shown only disposes
    second.clear();
    never->Close();
    EXPECT_EQ(second, (Log{"Dispose(true) visible=0"}));
    EXPECT_THROW(never->Show(), std::logic_error);
    forms::Application::DoEvents();
    EXPECT_EQ(second.back(), "~TestForm");
}

TEST_F(FormTest, RemovedControlsAreReturnedAndForgotten) {
    form = new TestForm();
    form->Show();  // the focus is on the OK button, the accept button
    auto ok = form->grid->Controls.Remove(form->okButton);
    ASSERT_EQ(ok.get(), form->okButton);
    EXPECT_TRUE(!form->AcceptButton() && !form->ActiveControl() && form->CancelButton() == form->cancelButton);
    auto cancel = form->grid->Controls.Remove(form->cancelButton);
    EXPECT_TRUE(cancel.get() == form->cancelButton && !form->CancelButton());
    for (Keys key : {Keys::Escape, Keys::Enter}) automation::PressKey(*form, key);  // nothing to press, nothing fails
    EXPECT_TRUE(form->Visible());
}

// One user action on the list: a click on a line, a key, or SetSelected of a line.
struct Action {
    enum Kind { ClickOn, Key, Select } kind;
    int value;
    Keys modifiers = Keys::None;
};

TEST_F(FormTest, ListExtendedSelectionFollowsTheTable) {
    const Keys S = Keys::Shift, C = Keys::Control;
    const auto click = [](int line, Keys m = Keys::None) { return Action{Action::ClickOn, line, m}; };
    const auto key = [](Keys k, Keys m = Keys::None) { return Action{Action::Key, static_cast<int>(k), m}; };
    const struct { const char* name; std::vector<Action> actions; std::vector<int> selected; int caret, anchor; } cases[] = {
        // 40 lines; the list's client area is 125 high, so a page is 9 lines.
        {"click", {click(3)}, {3}, 3, 3},
        {"click replaces", {click(3), click(5)}, {5}, 5, 5},
        {"shift+click down", {click(2), click(5, S)}, {2, 3, 4, 5}, 5, 2},
        {"shift+click up", {click(5), click(2, S)}, {2, 3, 4, 5}, 2, 5},
        {"shift+click keeps anchor", {click(4), click(6, S), click(1, S)}, {1, 2, 3, 4}, 1, 4},
        {"shift+click without anchor", {click(3, S)}, {}, 3, -1},
        {"ctrl+click adds", {click(1), click(4, C)}, {1, 4}, 4, 4},
        {"ctrl+click toggles off", {click(1), click(4, C), click(1, C)}, {4}, 1, 1},
        {"ctrl+click then shift+click", {click(1), click(6, C), click(8, S)}, {6, 7, 8}, 8, 6},
        {"ctrl+shift+click keeps the rest", {click(1), click(6, C), click(8, S | C)}, {1, 6, 7, 8}, 8, 6},
        {"down", {click(3), key(Keys::Down)}, {4}, 4, 4},
        {"up at top stays", {click(0), key(Keys::Up)}, {0}, 0, 0},
        {"shift+down twice", {click(3), key(Keys::Down, S), key(Keys::Down, S)}, {3, 4, 5}, 5, 3},
        {"shift+down then up", {click(3), key(Keys::Down, S), key(Keys::Up, S)}, {3}, 3, 3},
        {"shift+up", {click(3), key(Keys::Up, S)}, {2, 3}, 2, 3},
        {"ctrl does not change keys", {click(3), key(Keys::Down, C)}, {4}, 4, 4},
        {"home", {click(7), key(Keys::Home)}, {0}, 0, 0},
        {"shift+end", {click(37), key(Keys::End, S)}, {37, 38, 39}, 39, 37},
        {"end", {click(2), key(Keys::End)}, {39}, 39, 39},
        {"page down", {click(2), key(Keys::PageDown)}, {10}, 10, 10},
        {"shift+page down", {click(2), key(Keys::PageDown, S)}, {2, 3, 4, 5, 6, 7, 8, 9, 10}, 10, 2},
        {"page up clamps", {click(5), key(Keys::PageUp)}, {0}, 0, 0},
        {"page down clamps", {click(35), key(Keys::PageDown)}, {39}, 39, 39},
        {"key with no anchor starts at caret", {key(Keys::Down, S)}, {0, 1}, 1, 0},
        {"SetSelected anchors without moving caret", {click(2), {Action::Select, 6}, key(Keys::Down, S)}, {3, 4, 5, 6}, 3, 6},
        {"SetSelected adds to clicks", {click(2), {Action::Select, 6}}, {2, 6}, 2, 6},
    };
    for (const auto& c : cases) {
        Open(40);
        for (const Action& a : c.actions) {
            if (a.kind == Action::ClickOn) automation::ClickLine(*form->list, a.value, a.modifiers);
            if (a.kind == Action::Key) automation::PressKey(*form, static_cast<Keys>(a.value) | a.modifiers);
            if (a.kind == Action::Select) form->list->SetSelected(a.value, true);
        }
        const auto info = automation::InspectList(*form->list);
        EXPECT_EQ(std::make_tuple(info.selected, info.caret, info.anchor), std::make_tuple(c.selected, c.caret, c.anchor))
            << c.name;
        form->Close();
        forms::Application::Collect();
    }
}

TEST_F(FormTest, ListKeysScrollTheCaretIntoViewAndSetSelectedDoesNot) {
    auto& list = *Open(40).list;
    EXPECT_EQ(list.PageSize(), 9);
    automation::PressKey(*form, Keys::End);
    EXPECT_EQ(list.TopIndex(), 31);
    automation::PressKey(*form, Keys::Home);
    EXPECT_EQ(list.TopIndex(), 0);
    list.SetSelected(30, true);
    EXPECT_EQ(std::make_pair(list.TopIndex(), list.CaretIndex()), std::make_pair(0, 0));
    for (int i = 0; i < 9; ++i) automation::PressKey(*form, Keys::Down);
    // One line scrolled to bring line 9 into view.
    EXPECT_EQ(std::make_pair(list.TopIndex(), list.CaretIndex()), std::make_pair(1, 9));
}

TEST_F(FormTest, ListInsertAndRemoveMoveFlagsAndClampCaretAndTop) {
    auto& list = *Open(25).list;
    automation::ClickLine(list, 3);
    list.Items.Insert(1, u"new");
    EXPECT_EQ(std::make_pair(list.CaretIndex(), list.SelectedIndices()), std::make_pair(4, std::vector<int>{4}));
    EXPECT_EQ(list.Items[1], u"new");
    list.Items.RemoveAt(1);
    automation::ClickLine(list, 24);  // scrolls: top 16, caret 24
    list.SetSelected(10, true);
    list.SetSelected(12, true);
    EXPECT_EQ(list.TopIndex(), 16);
    list.Items.RemoveAt(11);
    // The flags move with their lines; no space is left below the last line.
    EXPECT_EQ(std::make_tuple(list.SelectedIndices(), list.CaretIndex(), list.TopIndex()),
              std::make_tuple(std::vector<int>{10, 11, 23}, 23, 15));
    list.Items.RemoveAt(0);
    EXPECT_EQ(std::make_pair(list.SelectedIndices(), list.TopIndex()), std::make_pair(std::vector<int>{9, 10, 22}, 14));
    while (list.Items.Count() > 3) list.Items.RemoveAt(0);
    EXPECT_EQ(std::make_tuple(list.TopIndex(), list.CaretIndex(), list.SelectedIndices()),
              std::make_tuple(0, 2, std::vector<int>{2}));
    EXPECT_THROW(list.Items.RemoveAt(3), std::out_of_range);
    EXPECT_THROW(list.Items.RemoveAt(-1), std::out_of_range);
    EXPECT_THROW(list.SetSelected(5, true), std::out_of_range);
    EXPECT_THROW((void)list.Items[3], std::out_of_range);
    EXPECT_THROW(automation::ClickLine(list, 3), automation::AutomationError);
    EXPECT_EQ(list.Items.Count(), 3);
    list.Items.Clear();
    EXPECT_EQ(std::make_tuple(list.SelectedIndices(), list.TopIndex(), list.AnchorIndex(), list.Items.Count()),
              std::make_tuple(std::vector<int>{}, 0, -1, 0));
    // Keys and clicks on an empty list change nothing and do not fail.
    automation::PressKey(*form, Keys::Down);
    automation::Click(list);
    EXPECT_EQ(list.SelectedCount(), 0);
}

TEST_F(FormTest, ListPaintsOnlyTheLinesInView) {
    auto& list = *Open(0).list;
    for (int i = 0; i < 1000; ++i) list.Items.Add(u"x");
    list.SetTopIndex(500);
    list.SetSelected(501, true);
    int texts = 0, selections = 0, focus = 0;
    for (const auto& item : automation::Paint(*form)) {
        if (item.source != &list) continue;
        texts += item.kind == forms::DrawKind::Text;
        selections += item.kind == forms::DrawKind::Selection;
        focus += item.kind == forms::DrawKind::Focus;
        EXPECT_TRUE(item.kind != forms::DrawKind::Text || item.clip == forms::Rectangle(4, 4, 197, 125));
    }
    // 9 whole lines and the one cut at the bottom; the caret line 0 is out of view.
    EXPECT_EQ(std::make_tuple(texts, selections, focus), std::make_tuple(10, 1, 0));
}

}  // namespace
}  // namespace forms_test
