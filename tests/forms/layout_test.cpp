#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <tuple>

#include "test_form.h"

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

// The figures of the toolkit notes (table layout): a tool window of client
// 142 x 284, three percent columns, the list's gap below it and the buttons'
// gaps between them.
Design NotesDesign() {
    using forms::SizeType;
    return {.border = forms::FormBorderStyle::SizableToolWindow,
            .client = {142, 284},
            .columns = {{SizeType::Percent, 33.33112F}, {SizeType::Percent, 33.33443F}, {SizeType::Percent, 33.33445F}},
            .rows = {{SizeType::Percent, 100}, {SizeType::Absolute, 23}},
            .listMargin = {0, 0, 0, 3},
            .buttonMargins = {{{0, 0, 1, 0}, {2, 0, 1, 0}, {2, 0, 0, 0}}}};
}

TEST_F(LayoutTest, DesignFiguresGiveTheCellsAndAResizeRedistributesThem) {
    using Bounds = std::vector<std::pair<const char16_t*, Rectangle>>;
    const struct {
        const char* name;
        Design design;
        forms::Size client, outer;  // before a resize to `resized` (outer)
        std::vector<int> widths, heights;
        Bounds bounds;
        forms::Size resized;
        std::vector<int> resizedWidths;
        Bounds resizedBounds;
    } cases[] = {
        // Available 142, total 100: 47.33 -> 47, 47.33 -> 47, 47.33 -> 47, leftover 1 to the last column.
        // Resized to 300: 99.99 -> 99, 100.003 -> 100, 100.003 -> 100, leftover 1.
        {"the notes' figures", NotesDesign(), {142, 284}, {150, 308}, {47, 47, 48}, {261, 23},
         {{u"grid", {0, 0, 142, 284}}, {u"list", {0, 0, 142, 258}}, {u"okButton", {0, 261, 46, 23}},
          {u"applyButton", {49, 261, 44, 23}}, {u"cancelButton", {96, 261, 46, 23}}},
         {308, 408}, {99, 100, 101},
         {{u"grid", {0, 0, 300, 384}}, {u"list", {0, 0, 300, 358}}, {u"okButton", {0, 361, 98, 23}},
          {u"applyButton", {101, 361, 97, 23}}, {u"cancelButton", {201, 361, 99, 23}}}},
        // Absolute 60, then 30% and 70% of 145: 43.5 -> 43, 101.5 -> 101, leftover 1.
        // Resized to 300: 30% and 70% of 240, no leftover.
        {"the test form's own", Design{}, {205, 160}, {213, 187}, {60, 43, 102}, {135, 25},
         {{u"grid", {0, 0, 205, 160}}, {u"list", {2, 2, 201, 129}}, {u"okButton", {0, 136, 58, 23}},
          {u"applyButton", {62, 136, 39, 23}}, {u"cancelButton", {105, 136, 100, 23}}},
         {308, 187}, {60, 72, 168},
         {{u"list", {2, 2, 296, 129}}, {u"applyButton", {62, 136, 68, 23}}, {u"cancelButton", {134, 136, 166, 23}}}},
    };
    for (const auto& c : cases) {
        auto* form = new TestForm(nullptr, c.design);
        EXPECT_EQ(std::make_pair(form->ClientSize(), form->Size()), std::make_pair(c.client, c.outer)) << c.name;
        EXPECT_EQ(std::make_pair(form->grid->GetColumnWidths(), form->grid->GetRowHeights()), std::make_pair(c.widths, c.heights))
            << c.name;
        ExpectBounds(*form, c.bounds);
        form->Show();  // lays out again and must land on the same numbers
        ExpectBounds(*form, c.bounds);
        automation::ResizeTo(*form, c.resized);
        EXPECT_EQ(form->grid->GetColumnWidths(), c.resizedWidths) << c.name;
        ExpectBounds(*form, c.resizedBounds);
        form->Close();
    }
}

TEST_F(LayoutTest, MinimumSizeHoldsOnEverySizeChange) {
    auto* form = new TestForm();
    form->SetSize({10, 10});
    EXPECT_EQ(form->Size(), forms::Size(120, 90));
    form->SetWidth(119);
    EXPECT_EQ(form->Width(), 120);
    form->SetClientSize({100, 20});  // outer 108 x 47
    EXPECT_EQ(std::make_pair(form->Size(), form->ClientSize()), std::make_pair(forms::Size(120, 90), forms::Size(112, 63)));
    // At the minimum the list's cell shrinks to 38 and the list keeps its margin.
    EXPECT_EQ(form->list->Bounds(), Rectangle(2, 2, 108, 32));
    form->SetMinimumSize({220, 400});
    EXPECT_EQ(form->Size(), forms::Size(220, 400));
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
    auto* form = new TestForm();
    EXPECT_EQ(std::make_tuple(form->ClientSize(), form->Size(), form->Location(), form->list->Margin()),
              std::make_tuple(forms::Size(410, 320), forms::Size(418, 347), forms::Point(0, 0), forms::Padding(4, 4, 4, 8)));
    // Absolute 120, then 30% and 70% of 290; the absolute row 50.
    EXPECT_EQ(std::make_pair(form->grid->GetColumnWidths(), form->grid->GetRowHeights()),
              std::make_pair(std::vector<int>{120, 87, 203}, std::vector<int>{270, 50}));
    EXPECT_EQ(form->cancelButton->Bounds(), Rectangle(211, 272, 199, 46));
    EXPECT_EQ(form->AutoScaleDimensions(), forms::SizeF(12, 26));
}

// A font that reports no width or height scales nothing: the form keeps its
// size and will scale once a sound font is known.
TEST_F(LayoutTest, AFontOfNoSizeScalesNothing) {
    for (const forms::Size font : {forms::Size(6, 0), forms::Size(0, 13), forms::Size(-6, -13)}) {
        SCOPED_TRACE(std::to_string(font.Width) + " x " + std::to_string(font.Height));
        RecordingBackend backend(font);
        forms::Application::SetBackend(&backend);
        auto* form = new TestForm();
        EXPECT_EQ(std::make_tuple(form->ClientSize(), form->list->Bounds(), form->AutoScaleDimensions()),
                  std::make_tuple(forms::Size(205, 160), Rectangle(2, 2, 201, 129), forms::SizeF(6, 13)));
        form->Close();
        forms::Application::Collect();
        forms::Application::SetBackend(nullptr);
    }
}

TEST_F(LayoutTest, ABackendSeesWindowsAndPaintsOnlyFromThePump) {
    RecordingBackend backend({6, 13});
    forms::Application::SetBackend(&backend);
    auto* form = new TestForm();
    form->SetLocation({30, 40});
    EXPECT_TRUE(backend.calls.empty()) << "no native window before Show";
    form->Show();
    EXPECT_EQ(backend.calls, (Log{"create", testing::PrintToString(Rectangle(30, 40, 213, 187)), "text Pick", "show", "activate"}));
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

// A window system with a frame of its own for every border style but None.
class FramingBackend : public RecordingBackend {
public:
    FramingBackend() : RecordingBackend({6, 13}) {}
    std::optional<forms::Padding> WindowFrame(const forms::Form& form) override {
        if (form.FormBorderStyle() == forms::FormBorderStyle::None) return std::nullopt;
        return forms::Padding(3, 26, 3, 3);
    }
};

TEST_F(LayoutTest, TheBackendsFrameRelatesOuterAndClientSizeWhereItHasOne) {
    FramingBackend backend;
    forms::Application::SetBackend(&backend);
    auto* form = new TestForm();
    EXPECT_EQ(std::make_pair(form->ClientSize(), form->Size()), std::make_pair(forms::Size(205, 160), forms::Size(211, 189)));
    form->SetSize({311, 229});
    EXPECT_EQ(form->ClientSize(), forms::Size(305, 200));
    // No frame of the backend's: the toolkit's own figures, none for None.
    form->SetFormBorderStyle(forms::FormBorderStyle::None);
    EXPECT_EQ(std::make_pair(form->ClientSize(), form->Size()), std::make_pair(forms::Size(305, 200), forms::Size(305, 200)));
    form->Close();  // never shown: only disposed
    forms::Application::Collect();
    forms::Application::SetBackend(nullptr);
}

TEST_F(LayoutTest, TheTextBackendPresentsWhatRenderTextDrawsUntilTheWindowGoes) {
    forms::TextBackend backend;
    forms::Application::SetBackend(&backend);
    auto* form = new TestForm();
    form->list->Items.Add(u"line");
    form->Show();
    EXPECT_EQ(backend.Picture(*form), "") << "nothing before the pump";
    forms::Application::DoEvents();
    const std::string first = backend.Picture(*form);
    EXPECT_EQ(first, automation::RenderText(*form));
    automation::PressKey(*form, Keys::Tab);
    forms::Application::DoEvents();
    EXPECT_TRUE(backend.Picture(*form) != first && backend.Picture(*form) == automation::RenderText(*form));
    form->Close();
    EXPECT_EQ(backend.Picture(*form), "");
}

TEST_F(LayoutTest, AutomationFindsInspectsClicksAndRendersTheWindow) {
    auto* form = new TestForm();
    for (auto line : {u"\u00C4rtist - Title", u"B - Two", u"C - Three"}) form->list->Items.Add(line);
    form->Show();
    ASSERT_EQ(automation::FindForm(u"PickForm"), form);
    EXPECT_EQ(automation::FindForm(u"nothing"), nullptr);
    const auto info = automation::Inspect(automation::Get<forms::Button>(*form, u"applyButton"));
    EXPECT_EQ(std::make_tuple(info.text, info.bounds, info.clientBounds),
              std::make_tuple(forms::String(u"Apply"), Rectangle(62, 136, 39, 23), Rectangle(62, 136, 39, 23)));
    EXPECT_TRUE(info.visible && !info.focused);
    EXPECT_TRUE(automation::Inspect(*form->okButton).focused);
    EXPECT_THROW(automation::Get<forms::ListBox>(*form, u"applyButton"), automation::AutomationError);

    int applies = 0;
    form->applyButton->Click += [&](forms::Object&, const forms::EventArgs&) { ++applies; };
    automation::Click(*form->applyButton);
    EXPECT_TRUE(applies == 1 && form->applyButton->Focused());
    forms::input::Click(*form, {70, 135});  // the pixel above the buttons belongs to the table
    EXPECT_EQ(applies, 1);
    // 35 x 13 cells: the lines in the list's first rows, the buttons in the 12th.
    const auto picture = [](const std::string& lines, const std::string& buttons) {
        return "Pick\n" + std::string(35, '-') + "\n" + lines + std::string(8, '\n') + buttons + "\n\n";
    };
    const std::string unmarked = " \xC3\x84rtist - Title\n B - Two\n C - Three\n";
    EXPECT_EQ(automation::RenderText(*form), picture(unmarked, "[   OK   ]{Apply}[     Cancel     ]"));

    automation::ClickLine(*form->list, 0);
    automation::PressKey(*form, Keys::Down | Keys::Shift);
    automation::PressKey(*form, Keys::Down | Keys::Shift);
    form->list->SetSelected(0, false);
    const std::string marked = " \xC3\x84rtist - Title\n*B - Two\n#C - Three\n";
    EXPECT_EQ(automation::RenderText(*form), picture(marked, "[   OK   ][Apply][     Cancel     ]"));
    form->applyButton->SetVisible(false);
    EXPECT_THROW(automation::Click(*form->applyButton), automation::AutomationError);
    automation::Click(*form->cancelButton, Keys::None);
    EXPECT_TRUE(automation::OpenForms().empty());
}

constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();

// Every control of the window lies inside its client area, and the text picture
// has one row per 13 pixels of it, but never more than 256.
void ExpectLaidOutInside(forms::Form& form, const std::string& name) {
    const Rectangle client = form.ClientRectangle();
    for (const char16_t* control : {u"grid", u"list", u"okButton", u"applyButton", u"cancelButton"}) {
        const Rectangle bounds = automation::Inspect(*automation::Find(form, control)).clientBounds;
        EXPECT_EQ(Rectangle::Intersect(bounds, client), bounds) << name << " " << forms::to_utf8(control);
    }
    const std::string text = automation::RenderText(form);
    const auto rows = std::count(text.begin(), text.end(), '\n') - 2;
    EXPECT_EQ(rows, std::min((client.Height + 12) / 13, 256)) << name;
}

TEST_F(LayoutTest, AWindowIsHeldToTheScreenAndTheCoordinateRangeWhateverItIsAsked) {
    const forms::Size most{1928, 1107};  // the headless 1920 x 1080 screen plus a sizable window's frame
    EXPECT_EQ(forms::Application::VirtualScreen(), Rectangle(0, 0, 1920, 1080));
    const int far = forms::kMaxCoordinate;
    const struct { const char* name; std::function<void(forms::Form&)> ask; Rectangle bounds; } cases[] = {
        {"SetSize max", [](forms::Form& f) { f.SetSize({kMax, kMax}); }, {{0, 0}, most}},
        {"SetSize min", [](forms::Form& f) { f.SetSize({kMin, kMin}); }, {0, 0, 120, 90}},
        {"SetSize zero", [](forms::Form& f) { f.SetSize({0, 0}); }, {0, 0, 120, 90}},
        {"SetClientSize max", [](forms::Form& f) { f.SetClientSize({kMax, kMax}); }, {{0, 0}, most}},
        {"SetClientSize min", [](forms::Form& f) { f.SetClientSize({kMin, kMin}); }, {0, 0, 120, 90}},
        {"SetClientSize zero", [](forms::Form& f) { f.SetClientSize({0, 0}); }, {0, 0, 120, 90}},
        {"SetLocation max", [](forms::Form& f) { f.SetLocation({kMax, kMax}); }, {far, far, 213, 187}},
        {"SetLocation min", [](forms::Form& f) { f.SetLocation({kMin, kMin}); }, {-far, -far, 213, 187}},
        {"SetBounds max", [](forms::Form& f) { f.SetBounds({kMax, kMin, kMax, kMax}); }, {{far, -far}, most}},
        {"MinimumSize max", [](forms::Form& f) { f.SetMinimumSize({kMax, kMax}); }, {{0, 0}, most}},
        {"dragged max", [](forms::Form& f) { automation::ResizeTo(f, {kMax, kMax}); automation::MoveTo(f, {kMax, 0}); },
         {{far, 0}, most}},
        {"dragged min", [](forms::Form& f) { automation::ResizeTo(f, {kMin, kMin}); automation::MoveTo(f, {kMin, 0}); },
         {-far, 0, 120, 90}},
    };
    for (const auto& c : cases) {
        auto* form = new TestForm();
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
        {"none: the headless screen", {}, {0, 0, 1920, 1080}, {1928, 1107}},
        {"only empty ones", {{{5, 5, 0, 100}, {5, 5, 0, 100}}}, {0, 0, 1920, 1080}, {1928, 1107}},
        {"two side by side", {{{0, 0, 800, 600}, {0, 0, 800, 560}}, {{-1280, 0, 1280, 1024}, {-1280, 0, 1280, 1024}}},
         {-1280, 0, 2080, 1024}, {2088, 1051}},
        {"as large as an int allows", {{{kMin, kMin, kMax, kMax}, {0, 0, 1, 1}}, {{0, 0, kMax, kMax}, {0, 0, 1, 1}}},
         {kMin, kMin, kMax, kMax}, {far, far}},
    };
    for (const auto& c : cases) {
        RecordingBackend backend({6, 13});
        backend.screens = c.screens;
        forms::Application::SetBackend(&backend);
        EXPECT_EQ(forms::Application::VirtualScreen(), c.virtualScreen) << c.name;
        auto* form = new TestForm();
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
