#include <gtest/gtest.h>

#include "fixture.h"
#include "queue_form.h"

namespace forms_test {
namespace {

using forms::Rectangle;

class LayoutTest : public FormsTest {};

struct Expected {
    const char16_t* name;
    Rectangle bounds;
};

void ExpectBounds(forms::Form& form, const std::vector<Expected>& table) {
    for (const auto& e : table) {
        forms::Control* c = forms::automation::Find(form, e.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Bounds(), e.bounds) << forms::to_utf8(e.name);
    }
}

TEST_F(LayoutTest, DesignNumbersGiveTheQueueWindowCells) {
    auto* form = new QueueForm();
    EXPECT_EQ(form->ClientSize(), forms::Size(142, 284));
    EXPECT_EQ(form->Size(), forms::Size(150, 308));
    EXPECT_EQ(form->tableLayoutPanel1->GetColumnWidths(), (std::vector<int>{47, 47, 48}));
    EXPECT_EQ(form->tableLayoutPanel1->GetRowHeights(), (std::vector<int>{261, 23}));
    const std::vector<Expected> design = {
        {u"tableLayoutPanel1", {0, 0, 142, 284}},
        {u"queueList", {0, 0, 142, 258}},
        {u"removeButton", {0, 261, 46, 23}},
        {u"clearButton", {49, 261, 44, 23}},
        {u"closeButton", {96, 261, 46, 23}},
    };
    ExpectBounds(*form, design);
    // Showing lays out again and must land on the same numbers.
    form->Show();
    ExpectBounds(*form, design);
}

TEST_F(LayoutTest, ResizingTheWindowRedistributesTheCells) {
    auto* form = new QueueForm();
    form->Show();
    forms::automation::ResizeTo(*form, {308, 408});  // client 300 x 384
    EXPECT_EQ(form->ClientSize(), forms::Size(300, 384));
    // 33.33112 * 300 / 100 = 99.99, 33.33443 -> 100.003, 33.33445 -> 100.003: 99, 100, 100, leftover 1.
    EXPECT_EQ(form->tableLayoutPanel1->GetColumnWidths(), (std::vector<int>{99, 100, 101}));
    ExpectBounds(*form, {
                            {u"tableLayoutPanel1", {0, 0, 300, 384}},
                            {u"queueList", {0, 0, 300, 358}},
                            {u"removeButton", {0, 361, 98, 23}},
                            {u"clearButton", {101, 361, 97, 23}},
                            {u"closeButton", {201, 361, 99, 23}},
                        });
}

TEST_F(LayoutTest, MinimumSizeHoldsOnEverySizeChange) {
    auto* form = new QueueForm();
    form->SetSize({10, 10});
    EXPECT_EQ(form->Size(), forms::Size(150, 70));
    form->SetWidth(149);
    EXPECT_EQ(form->Width(), 150);
    form->SetClientSize({100, 20});  // outer 108 x 44
    EXPECT_EQ(form->Size(), forms::Size(150, 70));
    EXPECT_EQ(form->ClientSize(), forms::Size(142, 46));
    // At the minimum the list cell shrinks to 23 and the list keeps its gap.
    EXPECT_EQ(form->queueList->Bounds(), Rectangle(0, 0, 142, 20));
    form->SetMinimumSize({200, 400});
    EXPECT_EQ(form->Size(), forms::Size(200, 400));
}

TEST_F(LayoutTest, FrameDependsOnTheBorderStyle) {
    struct Case {
        forms::FormBorderStyle style;
        forms::Size outer;
    };
    const Case cases[] = {
        {forms::FormBorderStyle::None, {100, 50}},
        {forms::FormBorderStyle::FixedSingle, {106, 75}},
        {forms::FormBorderStyle::Sizable, {108, 77}},
        {forms::FormBorderStyle::FixedToolWindow, {106, 72}},
        {forms::FormBorderStyle::SizableToolWindow, {108, 74}},
    };
    for (const auto& c : cases) {
        auto* form = new forms::Form();
        form->SetFormBorderStyle(c.style);
        form->SetClientSize({100, 50});
        EXPECT_EQ(form->Size(), c.outer) << static_cast<int>(c.style);
        form->Dispose();
    }
}

TEST_F(LayoutTest, TableSizesAbsoluteAutoAndPercentColumnsWithSpans) {
    auto* form = new forms::Form();
    form->SetFormBorderStyle(forms::FormBorderStyle::None);
    form->SetClientSize({200, 100});
    auto* table = new forms::TableLayoutPanel();
    table->SetColumnCount(4);
    table->ColumnStyles.Add({forms::SizeType::Absolute, 30.4F});
    table->ColumnStyles.Add({forms::SizeType::AutoSize, 0});
    table->ColumnStyles.Add({forms::SizeType::Percent, 50});
    // Column 3 has no style: it sizes automatically.
    auto* a = new forms::Button();
    a->SetText(u"Wide text");  // preferred 54 + 16 = 70, plus margin 6
    a->SetAutoSize(true);
    auto* b = new forms::Button();
    b->SetSize({10, 10});
    b->SetMargin(forms::Padding(0));
    auto* spanning = new forms::Button();
    spanning->SetSize({120, 10});
    spanning->SetMargin(forms::Padding(0));
    table->Controls.Add(a, 1, 0);
    table->Controls.Add(b, 3, 0);
    table->Controls.Add(spanning, 0, 1);
    table->SetColumnSpan(spanning, 2);  // 30 + 76 lack 14: auto column 1 grows to 90
    table->SetDock(forms::DockStyle::Fill);
    form->Controls.Add(table);
    // 30 + 90 + 10 fixed; percent gets 70; no leftover.
    EXPECT_EQ(table->GetColumnWidths(), (std::vector<int>{30, 90, 70, 10}));
    EXPECT_EQ(a->Bounds(), Rectangle(33, 3, 70, 23));
    EXPECT_EQ(b->Bounds(), Rectangle(190, 0, 10, 10));
    EXPECT_EQ(spanning->Bounds(), Rectangle(0, 29, 120, 10));
}

TEST_F(LayoutTest, ChildrenWithoutACellFlowIntoTheNextFreeOne) {
    auto* table = new forms::TableLayoutPanel();
    table->SetColumnCount(2);
    auto* first = new forms::Button();
    auto* second = new forms::Button();
    auto* third = new forms::Button();
    table->Controls.Add(first, 0, 0);
    table->Controls.Add(second);
    table->Controls.Add(third);
    EXPECT_EQ(second->Left(), first->Left() + first->Width() + 6) << "second goes beside the first";
    EXPECT_EQ(third->Left(), first->Left());
    EXPECT_GT(third->Top(), first->Top());
    delete table;  // never on a form: the caller owns it
}

class WideFont : public forms::Backend {
public:
    forms::Size FontMetrics() override { return {12, 26}; }
    forms::Size MeasureText(const forms::String& t) override { return {12 * static_cast<int>(t.size()), 26}; }
    forms::Rectangle Screen() override { return {0, 0, 1920, 1080}; }
    void CreateWindow(forms::Form&) override {}
    void DestroyWindow(forms::Form&) override {}
    void SetWindowBounds(forms::Form&, forms::Rectangle) override {}
    void SetWindowVisible(forms::Form&, bool) override {}
    void SetWindowText(forms::Form&, const forms::String&) override {}
    void ActivateWindow(forms::Form&) override {}
    void Present(forms::Form&, const forms::DisplayList&) override {}
};

TEST_F(LayoutTest, AutoScalingDoublesTheClientAreaButNotTheFrameOrLocation) {
    WideFont font;
    forms::Application::SetBackend(&font);
    auto* form = new QueueForm();
    EXPECT_EQ(form->ClientSize(), forms::Size(284, 568));
    EXPECT_EQ(form->Size(), forms::Size(292, 592));
    EXPECT_EQ(form->Location(), forms::Point(0, 0));
    EXPECT_EQ(form->queueList->Margin(), forms::Padding(0, 0, 0, 6));
    EXPECT_EQ(form->tableLayoutPanel1->GetRowHeights(), (std::vector<int>{522, 46}));
    EXPECT_EQ(form->closeButton->Bounds(), Rectangle(192, 522, 92, 46));
    EXPECT_EQ(form->AutoScaleDimensions(), forms::SizeF(12, 26));
}

}  // namespace
}  // namespace forms_test
