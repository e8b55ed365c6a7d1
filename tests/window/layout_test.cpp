#include "window_fixture.h"

namespace automation = forms::automation;

TEST_F(QueueWindow, ControlsSitInTheirDesignedCells) {
    execute();
    auto& form = *window();
    EXPECT_EQ(form.ClientSize(), forms::Size(142, 284));
    EXPECT_EQ(form.Size(), forms::Size(150, 308));
    struct row {
        const char16_t* name;
        forms::Rectangle bounds;
        const char* text;
    };
    for (const row& r : {row{u"queueList", {0, 0, 142, 258}, ""}, row{u"removeButton", {0, 261, 46, 23}, "Delete"},
                         row{u"clearButton", {49, 261, 44, 23}, "Clear"},
                         row{u"closeButton", {96, 261, 46, 23}, "Close"}}) {
        auto* control = automation::Find(form, r.name);
        ASSERT_NE(control, nullptr) << forms::to_utf8(r.name);
        const auto info = automation::Inspect(*control);
        EXPECT_EQ(info.clientBounds, r.bounds) << forms::to_utf8(r.name);
        EXPECT_EQ(forms::to_utf8(info.text), r.text);
    }
    auto& table = automation::Get<forms::TableLayoutPanel>(form, u"tableLayoutPanel1");
    EXPECT_EQ(table.GetColumnWidths(), (std::vector<int>{47, 47, 48}));
    EXPECT_EQ(table.GetRowHeights(), (std::vector<int>{261, 23}));
}

TEST_F(QueueWindow, IsASmallTopMostToolWindow) {
    execute();
    auto& form = *window();
    EXPECT_TRUE(form.TopMost());
    EXPECT_FALSE(form.MaximizeBox());
    EXPECT_FALSE(form.MinimizeBox());
    EXPECT_FALSE(form.ShowInTaskbar());
    EXPECT_FALSE(form.ShowIcon());
    EXPECT_EQ(form.FormBorderStyle(), forms::FormBorderStyle::SizableToolWindow);
    EXPECT_EQ(form.AcceptButton(), &button(u"closeButton"));
    EXPECT_EQ(form.CancelButton(), &button(u"closeButton"));
    EXPECT_EQ(list().SelectionMode(), forms::SelectionMode::MultiExtended);
    EXPECT_FALSE(list().IntegralHeight());

    automation::ResizeTo(form, {20, 20});
    EXPECT_EQ(form.Size(), forms::Size(150, 70)) << "never smaller than the minimum";
}

TEST_F(QueueWindow, TabOrderAndTheFocusAfterOpening) {
    execute();
    std::vector<std::string> order;
    for (auto* control : window()->TabOrder()) order.push_back(forms::to_utf8(control->Name()));
    EXPECT_EQ(order, (std::vector<std::string>{"closeButton", "queueList", "removeButton", "clearButton"}));
    EXPECT_TRUE(automation::Inspect(button(u"closeButton")).focused);
}

TEST_F(QueueWindow, ButtonRowFollowsAResize) {
    execute();
    automation::ResizeTo(*window(), {308, 408});  // client 300 x 384
    const auto list_bounds = automation::Inspect(list()).clientBounds;
    EXPECT_EQ(list_bounds, forms::Rectangle(0, 0, 300, 358));
    const auto close_bounds = automation::Inspect(button(u"closeButton")).clientBounds;
    EXPECT_EQ(close_bounds.Y, 361);
    EXPECT_EQ(close_bounds.X + close_bounds.Width, 300);
}
