#include <gtest/gtest.h>

#include <tuple>

#include "queue_form.h"

namespace forms_test {
namespace {

using forms::Rectangle;

class LayoutTest : public FormsTest {};

void ExpectBounds(forms::Form& form, const std::vector<std::pair<const char16_t*, Rectangle>>& table) {
    for (const auto& [name, bounds] : table) {
        forms::Control* c = automation::Find(form, name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Bounds(), bounds) << forms::to_utf8(name);
    }
}

TEST_F(LayoutTest, DesignNumbersGiveTheQueueWindowCellsAndAResizeRedistributesThem) {
    auto* form = new QueueForm();
    EXPECT_EQ(std::make_pair(form->ClientSize(), form->Size()), std::make_pair(forms::Size(142, 284), forms::Size(150, 308)));
    EXPECT_EQ(form->tableLayoutPanel1->GetColumnWidths(), (std::vector<int>{47, 47, 48}));  // cells at 0, 47, 94
    EXPECT_EQ(form->tableLayoutPanel1->GetRowHeights(), (std::vector<int>{261, 23}));
    const std::vector<std::pair<const char16_t*, Rectangle>> design = {
        {u"tableLayoutPanel1", {0, 0, 142, 284}}, {u"queueList", {0, 0, 142, 258}}, {u"removeButton", {0, 261, 46, 23}},
        {u"clearButton", {49, 261, 44, 23}},      {u"closeButton", {96, 261, 46, 23}},
    };
    ExpectBounds(*form, design);
    form->Show();  // lays out again and must land on the same numbers
    ExpectBounds(*form, design);
    automation::ResizeTo(*form, {308, 408});
    EXPECT_EQ(form->ClientSize(), forms::Size(300, 384));
    // 33.33112 * 300 / 100 = 99.99, 33.33443 -> 100.003, 33.33445 -> 100.003: 99, 100, 100, leftover 1.
    EXPECT_EQ(form->tableLayoutPanel1->GetColumnWidths(), (std::vector<int>{99, 100, 101}));
    ExpectBounds(*form, {{u"tableLayoutPanel1", {0, 0, 300, 384}}, {u"queueList", {0, 0, 300, 358}},
                         {u"removeButton", {0, 361, 98, 23}}, {u"clearButton", {101, 361, 97, 23}},
                         {u"closeButton", {201, 361, 99, 23}}});
}

TEST_F(LayoutTest, MinimumSizeHoldsOnEverySizeChange) {
    auto* form = new QueueForm();
    form->SetSize({10, 10});
    EXPECT_EQ(form->Size(), forms::Size(150, 70));
    form->SetWidth(149);
    EXPECT_EQ(form->Width(), 150);
    form->SetClientSize({100, 20});  // outer 108 x 44
    EXPECT_EQ(std::make_pair(form->Size(), form->ClientSize()), std::make_pair(forms::Size(150, 70), forms::Size(142, 46)));
    // At the minimum the list cell shrinks to 23 and the list keeps its gap.
    EXPECT_EQ(form->queueList->Bounds(), Rectangle(0, 0, 142, 20));
    form->SetMinimumSize({200, 400});
    EXPECT_EQ(form->Size(), forms::Size(200, 400));
}

TEST_F(LayoutTest, FrameDependsOnTheBorderStyle) {
    using S = forms::FormBorderStyle;
    for (const auto& [style, outer] :
         {std::pair<S, forms::Size>{S::None, {100, 50}}, {S::FixedSingle, {106, 75}}, {S::Sizable, {108, 77}},
          {S::FixedToolWindow, {106, 72}}, {S::SizableToolWindow, {108, 74}}}) {
        auto* form = new forms::Form();
        form->SetFormBorderStyle(style);
        form->SetClientSize({100, 50});
        EXPECT_EQ(form->Size(), outer) << static_cast<int>(style);
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
    table->ColumnStyles.Add({forms::SizeType::Percent, 50});  // column 3 has no style: it sizes automatically
    auto *a = new forms::Button(), *b = new forms::Button(), *spanning = new forms::Button();
    a->SetText(u"Wide text");  // preferred 54 + 16 = 70, plus margin 6
    a->SetAutoSize(true);
    b->SetSize({10, 10});
    spanning->SetSize({120, 10});
    b->SetMargin(forms::Padding(0));
    spanning->SetMargin(forms::Padding(0));
    table->Controls.Add(a, 1, 0);
    table->Controls.Add(b, 3, 0);
    table->Controls.Add(spanning, 0, 1);
    table->SetColumnSpan(spanning, 2);  // 30 + 76 lack 14: auto column 1 grows to 90
    table->SetDock(forms::DockStyle::Fill);
    form->Controls.Add(table);
    // 30 + 90 + 10 fixed; percent gets 70; no leftover.
    EXPECT_EQ(table->GetColumnWidths(), (std::vector<int>{30, 90, 70, 10}));
    EXPECT_EQ(std::make_tuple(a->Bounds(), b->Bounds(), spanning->Bounds()),
              std::make_tuple(Rectangle(33, 3, 70, 23), Rectangle(190, 0, 10, 10), Rectangle(0, 29, 120, 10)));
}

TEST_F(LayoutTest, ChildrenWithoutACellFlowIntoTheNextFreeOne) {
    auto* table = new forms::TableLayoutPanel();
    table->SetColumnCount(2);
    auto *first = new forms::Button(), *second = new forms::Button(), *third = new forms::Button();
    table->Controls.Add(first, 0, 0);
    table->Controls.Add(second);
    table->Controls.Add(third);
    EXPECT_EQ(second->Left(), first->Left() + first->Width() + 6) << "second goes beside the first";
    EXPECT_EQ(third->Left(), first->Left());
    EXPECT_GT(third->Top(), first->Top());
    delete table;  // never on a form: the caller owns it
}

// A backend with a given font that records what it is asked to do.
class RecordingBackend : public forms::Backend {
public:
    explicit RecordingBackend(forms::Size font) : font_(font) {}
    forms::Size FontMetrics() override { return font_; }
    forms::Size MeasureText(const forms::String& t) override { return {font_.Width * static_cast<int>(t.size()), font_.Height}; }
    forms::Rectangle Screen() override { return {0, 0, 800, 600}; }
    void CreateWindow(forms::Form&) override { calls.push_back("create"); }
    void DestroyWindow(forms::Form&) override { calls.push_back("destroy"); }
    void SetWindowBounds(forms::Form&, forms::Rectangle r) override { calls.push_back(testing::PrintToString(r)); }
    void SetWindowVisible(forms::Form&, bool v) override { calls.push_back(v ? "show" : "hide"); }
    void SetWindowText(forms::Form&, const forms::String& t) override { calls.push_back("text " + forms::to_utf8(t)); }
    void ActivateWindow(forms::Form&) override { calls.push_back("activate"); }
    void Present(forms::Form&, const forms::DisplayList& l) override { calls.push_back("present " + std::to_string(l.size())); }
    Log calls;

private:
    forms::Size font_;
};

TEST_F(LayoutTest, AutoScalingDoublesTheClientAreaButNotTheFrameOrLocation) {
    RecordingBackend font({12, 26});
    forms::Application::SetBackend(&font);
    auto* form = new QueueForm();
    EXPECT_EQ(std::make_tuple(form->ClientSize(), form->Size(), form->Location(), form->queueList->Margin()),
              std::make_tuple(forms::Size(284, 568), forms::Size(292, 592), forms::Point(0, 0), forms::Padding(0, 0, 0, 6)));
    EXPECT_EQ(form->tableLayoutPanel1->GetRowHeights(), (std::vector<int>{522, 46}));
    EXPECT_EQ(form->closeButton->Bounds(), Rectangle(192, 522, 92, 46));
    EXPECT_EQ(form->AutoScaleDimensions(), forms::SizeF(12, 26));
}

TEST_F(LayoutTest, ABackendSeesWindowsAndPaintsOnlyFromThePump) {
    RecordingBackend backend({6, 13});
    forms::Application::SetBackend(&backend);
    auto* form = new QueueForm();
    form->SetLocation({30, 40});
    EXPECT_TRUE(backend.calls.empty()) << "no native window before Show";
    form->Show();
    EXPECT_EQ(backend.calls, (Log{"create", testing::PrintToString(Rectangle(30, 40, 150, 308)), "text Sorvale", "show", "activate"}));
    backend.calls.clear();
    forms::Application::DoEvents();
    ASSERT_EQ(backend.calls.size(), 1u);
    EXPECT_EQ(backend.calls[0].rfind("present ", 0), 0u);
    forms::Application::DoEvents();
    EXPECT_EQ(backend.calls.size(), 1u) << "nothing changed, nothing painted";
    backend.calls.clear();
    automation::PressKey(*form, Keys::Escape);
    EXPECT_EQ(backend.calls, (Log{"hide", "destroy"}));
}

TEST_F(LayoutTest, AutomationFindsInspectsClicksAndRendersTheWindow) {
    auto* form = new QueueForm();
    for (auto line : {u"Ärtist - Title", u"B - Two", u"C - Three"}) form->queueList->Items.Add(line);
    form->Show();
    ASSERT_EQ(automation::FindForm(u"ManagerWin"), form);
    EXPECT_EQ(automation::FindForm(u"nothing"), nullptr);
    const auto info = automation::Inspect(automation::Get<forms::Button>(*form, u"clearButton"));
    EXPECT_EQ(std::make_tuple(info.text, info.bounds, info.clientBounds),
              std::make_tuple(forms::String(u"Clear"), Rectangle(49, 261, 44, 23), Rectangle(49, 261, 44, 23)));
    EXPECT_TRUE(info.visible && !info.focused);
    EXPECT_TRUE(automation::Inspect(*form->closeButton).focused);
    EXPECT_THROW(automation::Get<forms::ListBox>(*form, u"clearButton"), automation::AutomationError);

    int clears = 0;
    form->clearButton->Click += [&](forms::Object&, const forms::EventArgs&) { ++clears; };
    automation::Click(*form->clearButton);
    EXPECT_TRUE(clears == 1 && form->clearButton->Focused());
    forms::input::Click(*form, {60, 259});  // the 3-pixel gap above the buttons belongs to the table
    EXPECT_EQ(clears, 1);

    automation::ClickLine(*form->queueList, 0);
    automation::PressKey(*form, Keys::Down | Keys::Shift);
    automation::PressKey(*form, Keys::Down | Keys::Shift);
    form->queueList->SetSelected(0, false);
    const std::string lines = " \xC3\x84rtist - Title\n*B - Two\n#C - Three\n" + std::string(17, '\n');
    EXPECT_EQ(automation::RenderText(*form), "Sorvale\n------------------------\n" + lines + "[Delete][Clear ][Close ]\n\n");
    form->clearButton->SetVisible(false);
    EXPECT_THROW(automation::Click(*form->clearButton), automation::AutomationError);
    automation::Click(*form->closeButton, Keys::None);
    EXPECT_TRUE(automation::OpenForms().empty());
}

}  // namespace
}  // namespace forms_test
