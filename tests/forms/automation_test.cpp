#include <gtest/gtest.h>

#include "fixture.h"
#include "queue_form.h"

namespace forms_test {
namespace {

using forms::Keys;
namespace automation = forms::automation;

class AutomationTest : public FormsTest {};

TEST_F(AutomationTest, FindsAndInspectsControlsByName) {
    auto* form = new QueueForm();
    form->Show();
    ASSERT_EQ(automation::FindForm(u"ManagerWin"), form);
    EXPECT_EQ(automation::FindForm(u"nothing"), nullptr);
    const auto info = automation::Inspect(automation::Get<forms::Button>(*form, u"clearButton"));
    EXPECT_EQ(info.text, u"Clear");
    EXPECT_EQ(info.bounds, forms::Rectangle(49, 261, 44, 23));
    EXPECT_EQ(info.clientBounds, forms::Rectangle(49, 261, 44, 23));
    EXPECT_TRUE(info.visible);
    EXPECT_FALSE(info.focused);
    EXPECT_TRUE(automation::Inspect(*form->closeButton).focused);
    EXPECT_THROW(automation::Get<forms::ListBox>(*form, u"clearButton"), automation::AutomationError);
}

TEST_F(AutomationTest, ClicksLandOnTheControlUnderThePoint) {
    auto* form = new QueueForm();
    form->Show();
    int clears = 0;
    form->clearButton->Click += [&](forms::Object&, const forms::EventArgs&) { ++clears; };
    automation::Click(*form->clearButton);
    EXPECT_EQ(clears, 1);
    EXPECT_TRUE(form->clearButton->Focused());
    // The 3-pixel gap above the buttons belongs to the table: nothing is clicked.
    forms::input::Click(*form, {60, 259});
    EXPECT_EQ(clears, 1);
    form->clearButton->SetVisible(false);
    EXPECT_THROW(automation::Click(*form->clearButton), automation::AutomationError);
}

TEST_F(AutomationTest, RendersTheWindowAsText) {
    auto* form = new QueueForm();
    form->queueList->Items.Add(u"Ärtist - Title");
    form->queueList->Items.Add(u"B - Two");
    form->queueList->Items.Add(u"C - Three");
    form->Show();
    automation::ClickLine(*form->queueList, 0);
    automation::PressKey(*form, Keys::Down | Keys::Shift);
    automation::PressKey(*form, Keys::Down | Keys::Shift);
    form->queueList->SetSelected(0, false);
    std::string expected = "Sorvale\n------------------------\n*\xC3\x84rtist - Title\n*B - Two\n#C - Three\n";
    for (int i = 3; i < 20; ++i) expected += "\n";
    expected = expected.replace(expected.find("*\xC3\x84"), 1, " ");
    expected += "[Delete][Clear ][Close ]\n\n";
    EXPECT_EQ(automation::RenderText(*form), expected);
    automation::Click(*form->closeButton, Keys::None);
    EXPECT_TRUE(automation::OpenForms().empty());
}

class RecordingBackend : public forms::Backend {
public:
    forms::Size FontMetrics() override { return {6, 13}; }
    forms::Size MeasureText(const forms::String& t) override { return {6 * static_cast<int>(t.size()), 13}; }
    forms::Rectangle Screen() override { return {0, 0, 800, 600}; }
    void CreateWindow(forms::Form&) override { calls.push_back("create"); }
    void DestroyWindow(forms::Form&) override { calls.push_back("destroy"); }
    void SetWindowBounds(forms::Form&, forms::Rectangle r) override {
        calls.push_back("bounds " + std::to_string(r.X) + "," + std::to_string(r.Y) + " " + std::to_string(r.Width) + "x" + std::to_string(r.Height));
    }
    void SetWindowVisible(forms::Form&, bool v) override { calls.push_back(v ? "show" : "hide"); }
    void SetWindowText(forms::Form&, const forms::String& t) override { calls.push_back("text " + forms::to_utf8(t)); }
    void ActivateWindow(forms::Form&) override { calls.push_back("activate"); }
    void Present(forms::Form&, const forms::DisplayList& list) override {
        calls.push_back("present " + std::to_string(list.size()));
    }
    std::vector<std::string> calls;
};

TEST_F(AutomationTest, ABackendSeesWindowsAndPaintsOnlyFromThePump) {
    RecordingBackend backend;
    forms::Application::SetBackend(&backend);
    auto* form = new QueueForm();
    form->SetLocation({30, 40});
    EXPECT_TRUE(backend.calls.empty()) << "no native window before Show";
    form->Show();
    EXPECT_EQ(backend.calls, (std::vector<std::string>{"create", "bounds 30,40 150x308", "text Sorvale", "show", "activate"}));
    backend.calls.clear();
    forms::Application::DoEvents();
    ASSERT_EQ(backend.calls.size(), 1u);
    EXPECT_EQ(backend.calls[0].rfind("present ", 0), 0u);
    forms::Application::DoEvents();
    EXPECT_EQ(backend.calls.size(), 1u) << "nothing changed, nothing painted";
    backend.calls.clear();
    automation::PressKey(*form, Keys::Escape);
    EXPECT_EQ(backend.calls, (std::vector<std::string>{"hide", "destroy"}));
}

}  // namespace
}  // namespace forms_test
