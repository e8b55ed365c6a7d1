// Changes made to a form after it is built: its table's styles and spans, its
// caption once it has a window, where it opens, and a form that is gone.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "test_form.h"

namespace forms_test {
namespace {

using forms::Rectangle;

class WindowChanges : public FormsTest {};

// TestForm's table: Absolute 60, Percent 30, Percent 70 over a client 205 wide.
TEST_F(WindowChanges, ATableLaysItsCellsOutAgainAtEachStyleChangeAndRefusesAnEmptySpan) {
    auto* form = new TestForm();
    forms::TableLayoutPanel& grid = *form->grid;
    ASSERT_EQ(grid.GetColumnWidths(), (std::vector<int>{60, 43, 102}));

    grid.ColumnStyles.Set(0, {forms::SizeType::Absolute, 100});
    // 105 left: 31.5 and 73.5 truncated, the pixel over to the last column.
    EXPECT_EQ(grid.GetColumnWidths(), (std::vector<int>{100, 31, 74}));
    EXPECT_EQ(form->okButton->Bounds(), Rectangle(0, 136, 98, 23)) << "the OK button's cell, less its margin";

    grid.ColumnStyles.Clear();
    for (int width : {50, 50}) grid.ColumnStyles.Add({forms::SizeType::Absolute, static_cast<float>(width)});
    grid.ColumnStyles.Add({forms::SizeType::Percent, 100});
    EXPECT_EQ(grid.GetColumnWidths(), (std::vector<int>{50, 50, 105}));
    EXPECT_EQ(form->cancelButton->Bounds(), Rectangle(102, 136, 103, 23));

    for (int span : {0, -1}) {
        EXPECT_THROW(grid.SetColumnSpan(form->list, span), std::out_of_range);
        EXPECT_THROW(grid.SetRowSpan(form->list, span), std::out_of_range);
    }
    EXPECT_EQ(std::make_pair(grid.GetColumnSpan(form->list), grid.GetRowSpan(form->list)), std::make_pair(3, 1));
    EXPECT_EQ(form->list->Bounds().Width, 205 - 4) << "the list still spans the three columns";
    form->Close();
}

class CaptionBackend : public forms::TextBackend {
public:
    void SetWindowText(forms::Form& form, const forms::String& text) override {
        captions.push_back(forms::to_utf8(text));
        forms::TextBackend::SetWindowText(form, text);
    }
    std::vector<std::string> captions;
};

TEST_F(WindowChanges, TheCaptionReachesTheWindowOnceThereIsOne) {
    CaptionBackend backend;
    forms::Application::SetBackend(&backend);
    auto* form = new TestForm();
    form->SetText(u"Before");
    EXPECT_TRUE(backend.captions.empty()) << "no window yet";
    form->Show();
    form->SetText(u"After");
    EXPECT_EQ(backend.captions, (std::vector<std::string>{"Before", "After"}));
    form->Close();
}

// The headless desktop is one 1920 x 1080 screen; TestForm is 213 x 187 outside.
TEST_F(WindowChanges, ACenteredFormOpensInTheMiddleOfTheScreen) {
    auto* form = new TestForm();
    form->SetStartPosition(forms::FormStartPosition::CenterScreen);
    form->Show();
    EXPECT_EQ(form->Bounds(), Rectangle((1920 - 213) / 2, (1080 - 187) / 2, 213, 187));
    form->Close();
}

TEST_F(WindowChanges, MakingANewFormVisibleShowsItAsShowDoes) {
    Log log;
    auto* form = new TestForm(&log);
    form->SetVisible(true);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(form->okButton->Focused()) << "the first control in tab order";
    EXPECT_EQ(std::count(log.begin(), log.end(), "Load"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Activated"), 1);
    form->Close();
    forms::Application::Collect();
}

TEST_F(WindowChanges, AClosedFormCannotBeShownAgainAndHidingItDoesNothing) {
    Log log;
    auto* form = new TestForm(&log);
    form->Show();
    form->Close();
    ASSERT_TRUE(form->IsDisposed());
    log.clear();
    EXPECT_THROW(form->SetVisible(true), std::logic_error);
    form->SetVisible(false);
    EXPECT_TRUE(log.empty()) << "no event from a closed form";
    forms::Application::Collect();
}

}  // namespace
}  // namespace forms_test
