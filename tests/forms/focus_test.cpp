// Where the focus and the form's accept and cancel buttons go when controls
// stop taking part (disabled, or taken out with the container they sit in),
// and which of two shown forms is active.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "test_form.h"

namespace forms_test {
namespace {

class Focus : public FormsTest {
protected:
    // The forms write here until TearDown frees them.
    Log log, second_log;
    static bool logged(const Log& p_log, const char* p_entry) { return std::find(p_log.begin(), p_log.end(), p_entry) != p_log.end(); }
};

TEST_F(Focus, ADisabledControlGivesUpTheFocusAndTakesNoKeys) {
    auto* form = new TestForm(&log);
    form->Show();
    ASSERT_TRUE(form->applyButton->Focus());
    form->applyButton->SetEnabled(false);
    EXPECT_FALSE(form->applyButton->Focused());
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_FALSE(form->applyButton->Focus()) << "a disabled control cannot take the focus";
    automation::PressKey(*form, Keys::Space);
    EXPECT_FALSE(logged(log, "applyButton.Click"));
    form->applyButton->SetEnabled(true);
    EXPECT_FALSE(form->applyButton->Focused()) << "enabling gives no focus back";
    EXPECT_TRUE(form->applyButton->Focus());
    form->Close();
}

// The table holds the list (focused) and the accept and cancel buttons: taken
// out of the form, none of them answers the form's keys any more, while the
// table lives on in the caller's hands.
TEST_F(Focus, AContainerTakenOutTakesTheFocusAndTheAcceptAndCancelButtonsWithIt) {
    auto* form = new TestForm(&log);
    form->Show();
    ASSERT_TRUE(form->list->Focus());
    std::unique_ptr<forms::Control> grid = form->Controls.Remove(form->grid);
    ASSERT_EQ(grid.get(), form->grid);
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_FALSE(form->list->Focused());
    EXPECT_EQ(form->AcceptButton(), nullptr);
    EXPECT_EQ(form->CancelButton(), nullptr);
    for (Keys key : {Keys::Enter, Keys::Escape, Keys::Down}) automation::PressKey(*form, key);
    EXPECT_FALSE(logged(log, "okButton.Click"));
    EXPECT_FALSE(logged(log, "cancelButton.Click"));
    EXPECT_TRUE(form->Visible()) << "neither Enter nor Esc closed the form";
    // Shown again on another form, the buttons still belong to the first no more.
    auto* other = new TestForm(&second_log);
    other->Controls.Add(grid.release());
    other->Show();
    for (Keys key : {Keys::Enter, Keys::Escape}) automation::PressKey(*form, key);
    EXPECT_FALSE(logged(log, "okButton.Click") || logged(log, "cancelButton.Click"));
    EXPECT_TRUE(form->Visible());
    form->Close();
    other->Close();
}

TEST_F(Focus, OneOfTwoShownFormsIsActiveAndTheOtherHearsItsDeactivation) {
    auto* first = new TestForm(&log);
    auto* second = new TestForm(&second_log);
    int first_deactivated = 0, second_deactivated = 0;
    first->Deactivate += [&](forms::Object&, const forms::EventArgs&) { ++first_deactivated; };
    second->Deactivate += [&](forms::Object&, const forms::EventArgs&) { ++second_deactivated; };
    first->Show();
    second->Show();
    EXPECT_EQ(std::make_pair(first_deactivated, second_deactivated), std::make_pair(1, 0));
    EXPECT_TRUE(second->okButton->Focused());
    EXPECT_FALSE(first->okButton->Focused()) << "the focus is in the active form only";

    forms::input::ActivateWindow(*first);
    EXPECT_EQ(std::make_pair(first_deactivated, second_deactivated), std::make_pair(1, 1));
    EXPECT_TRUE(first->okButton->Focused());
    forms::input::ActivateWindow(*first);
    EXPECT_EQ(second_deactivated, 1) << "activating the active form changes nothing";

    // A hidden form is no longer active.
    first->Hide();
    EXPECT_EQ(first_deactivated, 2);
    forms::input::ActivateWindow(*first);
    EXPECT_FALSE(first->okButton->Focused()) << "a hidden form cannot be activated";
    first->Close();
    second->Close();
}

}  // namespace
}  // namespace forms_test

namespace forms_test {
namespace {

// Tab and Shift+Tab reach every control, and the one with the focus always
// shows it with the one focus mark in the window, an empty list too.
TEST_F(Focus, TabAndShiftTabVisitEveryControlAndTheFocusedOneAlwaysShowsIt) {
    for (int lines : {0, 3}) {
        auto* form = new TestForm(&log);
        for (int i = 0; i < lines; ++i) form->list->Items.Add(u"line");
        form->Show();
        const std::vector<forms::Control*> order = form->TabOrder();
        for (Keys key : {Keys::Tab, Keys::Tab | Keys::Shift}) {
            std::vector<forms::Control*> visited;
            for (std::size_t step = 0; step < order.size(); ++step) {
                automation::PressKey(*form, key);
                visited.push_back(form->ActiveControl());
                const forms::DisplayList painted = automation::Paint(*form);
                const auto marks = std::count_if(painted.begin(), painted.end(), [](const forms::DisplayItem& item) {
                    return item.kind == forms::DrawKind::Focus;
                });
                EXPECT_EQ(marks, 1) << lines << " lines, focus on " << forms::to_utf8(form->ActiveControl()->Name());
            }
            std::sort(visited.begin(), visited.end());
            std::vector<forms::Control*> all = order;
            std::sort(all.begin(), all.end());
            EXPECT_EQ(visited, all);
        }
        form->Close();
    }
}

}  // namespace
}  // namespace forms_test
