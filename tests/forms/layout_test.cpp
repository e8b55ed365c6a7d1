#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
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

TEST_F(LayoutTest, DockedChildrenTakeTheirEdgeOfWhatIsLeftLastAddedFirst) {
    using D = forms::DockStyle;
    const struct { const char* name; forms::Padding padding; std::vector<std::tuple<D, forms::Size, bool, Rectangle>> children; } cases[] = {
        {"every side, inside the padding; hidden and undocked children left alone",
         forms::Padding(2, 3, 4, 5),
         {{D::Fill, {1, 1}, true, {12, 10, 64, 60}}, {D::Left, {10, 99}, true, {2, 10, 10, 60}},
          {D::Top, {99, 7}, true, {2, 3, 74, 7}}, {D::Right, {20, 1}, true, {76, 3, 20, 67}},
          {D::Bottom, {1, 5}, true, {2, 70, 94, 5}}, {D::Top, {50, 9}, false, {0, 0, 50, 9}},
          {D::None, {8, 8}, true, {0, 0, 8, 8}}}},
        {"a child larger than what is left takes all of it",
         forms::Padding(0),
         {{D::Fill, {5, 5}, true, {100, 0, 0, 80}}, {D::Left, {500, 1}, true, {0, 0, 100, 80}}}},
    };
    for (const auto& c : cases) {
        auto* form = new forms::Form();
        form->SetFormBorderStyle(forms::FormBorderStyle::None);
        form->SetClientSize({100, 80});
        form->SetPadding(c.padding);
        std::vector<forms::Control*> added;
        for (const auto& [dock, size, visible, bounds] : c.children) {
            auto* child = new forms::Control();
            child->SetSize(size);
            child->SetVisible(visible);
            child->SetDock(dock);
            form->Controls.Add(child);
            added.push_back(child);
        }
        for (std::size_t i = 0; i < added.size(); ++i)
            EXPECT_EQ(added[i]->Bounds(), std::get<3>(c.children[i])) << c.name << ", child " << i;
        form->Dispose();
    }
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
    std::vector<forms::Screen> Screens() override { return screens; }
    void CreateWindow(forms::Form&) override { calls.push_back("create"); }
    void DestroyWindow(forms::Form&) override { calls.push_back("destroy"); }
    void SetWindowBounds(forms::Form&, forms::Rectangle r) override { calls.push_back(testing::PrintToString(r)); }
    void SetWindowVisible(forms::Form&, bool v) override { calls.push_back(v ? "show" : "hide"); }
    void SetWindowText(forms::Form&, const forms::String& t) override { calls.push_back("text " + forms::to_utf8(t)); }
    void ActivateWindow(forms::Form&) override { calls.push_back("activate"); }
    void Present(forms::Form&, const forms::DisplayList& l) override { calls.push_back("present " + std::to_string(l.size())); }
    Log calls;
    std::vector<forms::Screen> screens{{{0, 0, 800, 600}, {0, 0, 800, 600}}};

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

constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();

// Every control of the window lies inside its client area, and the text picture
// has one row per 13 pixels of it, but never more than 256.
void ExpectLaidOutInside(forms::Form& form, const std::string& name) {
    const Rectangle client = form.ClientRectangle();
    for (const char16_t* control : {u"tableLayoutPanel1", u"queueList", u"removeButton", u"clearButton", u"closeButton"}) {
        const Rectangle bounds = automation::Inspect(*automation::Find(form, control)).clientBounds;
        EXPECT_EQ(Rectangle::Intersect(bounds, client), bounds) << name << " " << forms::to_utf8(control);
    }
    const std::string text = automation::RenderText(form);
    const auto rows = std::count(text.begin(), text.end(), '\n') - 2;
    EXPECT_EQ(rows, std::min((client.Height + 12) / 13, 256)) << name;
}

TEST_F(LayoutTest, AWindowIsHeldToTheScreenAndTheCoordinateRangeWhateverItIsAsked) {
    const forms::Size most{1928, 1104};  // the headless 1920 x 1080 screen plus a tool window's frame
    EXPECT_EQ(forms::Application::VirtualScreen(), Rectangle(0, 0, 1920, 1080));
    const int far = forms::kMaxCoordinate;
    const struct { const char* name; std::function<void(forms::Form&)> ask; Rectangle bounds; } cases[] = {
        {"SetSize max", [](forms::Form& f) { f.SetSize({kMax, kMax}); }, {{0, 0}, most}},
        {"SetSize min", [](forms::Form& f) { f.SetSize({kMin, kMin}); }, {0, 0, 150, 70}},
        {"SetSize zero", [](forms::Form& f) { f.SetSize({0, 0}); }, {0, 0, 150, 70}},
        {"SetClientSize max", [](forms::Form& f) { f.SetClientSize({kMax, kMax}); }, {{0, 0}, most}},
        {"SetClientSize min", [](forms::Form& f) { f.SetClientSize({kMin, kMin}); }, {0, 0, 150, 70}},
        {"SetClientSize zero", [](forms::Form& f) { f.SetClientSize({0, 0}); }, {0, 0, 150, 70}},
        {"SetLocation max", [](forms::Form& f) { f.SetLocation({kMax, kMax}); }, {far, far, 150, 308}},
        {"SetLocation min", [](forms::Form& f) { f.SetLocation({kMin, kMin}); }, {-far, -far, 150, 308}},
        {"SetBounds max", [](forms::Form& f) { f.SetBounds({kMax, kMin, kMax, kMax}); }, {{far, -far}, most}},
        {"MinimumSize max", [](forms::Form& f) { f.SetMinimumSize({kMax, kMax}); }, {{0, 0}, most}},
        {"dragged max", [](forms::Form& f) { automation::ResizeTo(f, {kMax, kMax}); automation::MoveTo(f, {kMax, 0}); },
         {{far, 0}, most}},
        {"dragged min", [](forms::Form& f) { automation::ResizeTo(f, {kMin, kMin}); automation::MoveTo(f, {kMin, 0}); },
         {-far, 0, 150, 70}},
    };
    for (const auto& c : cases) {
        auto* form = new QueueForm();
        form->Show();
        c.ask(*form);
        EXPECT_EQ(form->Bounds(), c.bounds) << c.name;
        ExpectLaidOutInside(*form, c.name);
        form->Close();
    }
}

TEST_F(LayoutTest, TheMaximumSizeFollowsTheBackendsScreensAndTheTextPictureStaysBounded) {
    using Screens = std::vector<forms::Screen>;
    const int far = forms::kMaxCoordinate;
    const struct { const char* name; Screens screens; Rectangle virtualScreen; forms::Size most; } cases[] = {
        {"none: the headless screen", {}, {0, 0, 1920, 1080}, {1928, 1104}},
        {"only empty ones", {{{5, 5, 0, 100}, {5, 5, 0, 100}}}, {0, 0, 1920, 1080}, {1928, 1104}},
        {"two side by side", {{{0, 0, 800, 600}, {0, 0, 800, 560}}, {{-1280, 0, 1280, 1024}, {-1280, 0, 1280, 1024}}},
         {-1280, 0, 2080, 1024}, {2088, 1048}},
        {"as large as an int allows", {{{kMin, kMin, kMax, kMax}, {0, 0, 1, 1}}, {{0, 0, kMax, kMax}, {0, 0, 1, 1}}},
         {kMin, kMin, kMax, kMax}, {far, far}},
    };
    for (const auto& c : cases) {
        RecordingBackend backend({6, 13});
        backend.screens = c.screens;
        forms::Application::SetBackend(&backend);
        EXPECT_EQ(forms::Application::VirtualScreen(), c.virtualScreen) << c.name;
        auto* form = new QueueForm();
        EXPECT_EQ(form->MaximumTrackSize(), c.most) << c.name;
        form->Show();
        automation::ResizeTo(*form, {kMax, kMax});
        EXPECT_EQ(form->Size(), c.most) << c.name;
        ExpectLaidOutInside(*form, c.name);
        forms::Application::Shutdown();
    }
}

TEST_F(LayoutTest, TableArithmeticHoldsForExtremeCountsCellsSpansStylesAndSizes) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const int most = forms::TableLayoutPanel::kMaxTracks;
    // value: counts, cell, span, sizes and margins; style: every style's width or height.
    const struct { int value; float style; int tracks; } cases[] = {
        {kMax, inf, most}, {kMax, static_cast<float>(kMax), most}, {kMin, -inf, 1}, {kMin, nan, 1}, {0, nan, 1},
    };
    for (const auto& c : cases) {
        auto* form = new forms::Form();
        form->SetClientSize({400, 300});
        auto* table = new forms::TableLayoutPanel();
        if (c.value >= 0) {
            table->SetColumnCount(c.value);
            table->SetRowCount(c.value);
        }
        for (auto type : {forms::SizeType::Absolute, forms::SizeType::Percent, forms::SizeType::AutoSize}) {
            table->ColumnStyles.Add({type, c.style});
            table->RowStyles.Add({type, c.style});
        }
        auto *placed = new forms::Button(), *flowing = new forms::Button();
        for (auto* b : {placed, flowing}) {
            b->SetSize({c.value, c.value});
            b->SetMargin(forms::Padding(c.value));
        }
        flowing->SetAutoSize(true);
        flowing->SetText(forms::String(1000, u'x'));
        table->Controls.Add(placed, c.value, c.value);
        table->Controls.Add(flowing);
        table->SetColumnSpan(flowing, std::max(1, c.value));
        table->SetRowSpan(placed, std::max(1, c.value));
        table->SetPadding(forms::Padding(c.value));
        table->SetDock(forms::DockStyle::Fill);
        form->Controls.Add(table);
        form->Show();
        const auto within = [](int v) { return v >= 0 && v <= forms::kMaxCoordinate; };
        EXPECT_EQ(table->GetColumnWidths().size(), static_cast<std::size_t>(c.tracks)) << c.value;
        EXPECT_GE(table->GetRowHeights().size(), static_cast<std::size_t>(c.tracks)) << c.value;
        EXPECT_TRUE(std::all_of(table->GetColumnWidths().begin(), table->GetColumnWidths().end(), within)) << c.value;
        EXPECT_TRUE(std::all_of(table->GetRowHeights().begin(), table->GetRowHeights().end(), within)) << c.value;
        for (const forms::Control* b : {placed, flowing})
            EXPECT_TRUE(within(b->Width()) && within(b->Height()) && within(std::abs(b->Left())) && within(std::abs(b->Top())))
                << c.value;
        form->Close();
    }
}

}  // namespace
}  // namespace forms_test
