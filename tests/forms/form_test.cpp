#include <gtest/gtest.h>

#include "fixture.h"
#include "queue_form.h"

namespace forms_test {
namespace {

using forms::Keys;
using Log = std::vector<std::string>;
namespace automation = forms::automation;

class FormTest : public FormsTest {
protected:
    // Outlives the forms, which may still log while TearDown shuts the toolkit down.
    Log log;
};

TEST_F(FormTest, ShowFocusesTheFirstControlInTabOrderThenActivates) {
    auto* form = new QueueForm(&log);
    EXPECT_TRUE(log.empty()) << "building the window calls none of its handlers";
    EXPECT_TRUE(automation::OpenForms().empty());
    form->Show();
    EXPECT_EQ(log, (Log{"Load", "VisibleChanged", "Activated"}));
    EXPECT_TRUE(form->closeButton->Focused()) << "TabIndex 0";
    EXPECT_EQ(form->TabOrder(), (std::vector<forms::Control*>{form->closeButton, form->queueList,
                                                               form->removeButton, form->clearButton}));
    EXPECT_EQ(automation::OpenForms(), std::vector<forms::Form*>{form});
    EXPECT_EQ(forms::Application::ActiveForm(), form);
}

TEST_F(FormTest, TabOrderTiesGoToTheLaterAdded) {
    auto* form = new forms::Form();
    auto* first = new forms::Button();
    auto* second = new forms::Button();
    form->Controls.Add(first);
    form->Controls.Add(second);
    EXPECT_EQ(form->TabOrder(), (std::vector<forms::Control*>{second, first}));
    form->Show();
    EXPECT_TRUE(second->Focused());
    automation::PressKey(*form, Keys::Tab);
    EXPECT_TRUE(first->Focused());
    automation::PressKey(*form, Keys::Tab);
    EXPECT_TRUE(second->Focused()) << "Tab wraps";
    automation::PressKey(*form, Keys::Tab | Keys::Shift);
    EXPECT_TRUE(first->Focused());
}

// Keys on the queue window: (focused control, key, handled by the form's handler) -> log.
struct KeyCase {
    const char* name;
    const char16_t* focus;
    Keys key;
    bool handled;
    Log log;
};

TEST_F(FormTest, KeysRouteThroughDialogKeysThenPreviewThenTheControl) {
    const std::vector<KeyCase> cases = {
        {"Enter on the list presses accept", u"queueList", Keys::Enter, false,
         {"closeButton.Click", "FormClosing", "FormClosed", "Dispose(true) visible=1", "VisibleChanged"}},
        {"Esc on the list presses cancel", u"queueList", Keys::Escape, false,
         {"closeButton.Click", "FormClosing", "FormClosed", "Dispose(true) visible=1", "VisibleChanged"}},
        {"Enter on a button presses it", u"clearButton", Keys::Enter, false, {"clearButton.Click"}},
        {"Esc on a button presses cancel", u"removeButton", Keys::Escape, false,
         {"closeButton.Click", "FormClosing", "FormClosed", "Dispose(true) visible=1", "VisibleChanged"}},
        {"Delete: form first, then the list", u"queueList", Keys::Delete, false,
         {"Form.KeyDown 46", "queueList.KeyDown 46"}},
        {"Handled stops the list", u"queueList", Keys::Delete, true, {"Form.KeyDown 46"}},
        {"Handled keeps the selection", u"queueList", Keys::Down, true, {"Form.KeyDown 40"}},
        {"Space clicks the focused button after preview", u"removeButton", Keys::Space, false,
         {"Form.KeyDown 32", "removeButton.Click"}},
        {"arrows on a button move the focus", u"removeButton", Keys::Right, false, {}},
    };
    for (const auto& c : cases) {
        Log log;
        auto* form = new QueueForm(&log);
        form->queueList->Items.Add(u"a");
        form->queueList->Items.Add(u"b");
        form->Show();
        form->handleKeys = c.handled;
        automation::Find(*form, c.focus)->Focus();
        log.clear();
        automation::PressKey(*form, c.key);
        // The window may be gone; the log says what happened, the destructor last.
        if (!log.empty() && log.back() == "~QueueForm") log.pop_back();
        EXPECT_EQ(log, c.log) << c.name;
        if (!automation::OpenForms().empty()) {
            if (c.key == Keys::Down) {
                EXPECT_EQ(form->queueList->CaretIndex(), 0) << c.name;
            }
            if (c.key == Keys::Right) {
                EXPECT_TRUE(form->clearButton->Focused()) << c.name;
            }
            form->Close();
        }
        forms::Application::Collect();
    }
}

TEST_F(FormTest, WithoutAcceptAndCancelTheFormSeesEnterAndEsc) {
    auto* form = new QueueForm(&log);
    form->SetAcceptButton(nullptr);
    form->SetCancelButton(nullptr);
    form->Show();
    form->queueList->Focus();
    log.clear();
    automation::PressKey(*form, Keys::Escape);
    automation::PressKey(*form, Keys::Enter);
    EXPECT_EQ(log, (Log{"Form.KeyDown 27", "queueList.KeyDown 27", "Form.KeyDown 13", "queueList.KeyDown 13"}));
}

TEST_F(FormTest, CancelButtonGetsCancelAndClicksCopyTheDialogResult) {
    auto* form = new forms::Form();
    auto* ok = new forms::Button();
    ok->SetDialogResult(forms::DialogResult::OK);
    auto* other = new forms::Button();
    form->Controls.Add(ok);
    form->Controls.Add(other);
    form->SetCancelButton(other);
    EXPECT_EQ(other->DialogResult(), forms::DialogResult::Cancel);
    form->SetCancelButton(ok);
    EXPECT_EQ(ok->DialogResult(), forms::DialogResult::OK) << "an existing result stays";
    int clicks = 0;
    ok->Click += [&](forms::Object&, const forms::EventArgs&) { ++clicks; };
    ok->PerformClick();
    EXPECT_EQ(clicks, 0) << "PerformClick does nothing on a hidden form";
    EXPECT_EQ(form->DialogResult(), forms::DialogResult::None);
    form->Show();
    ok->PerformClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->DialogResult(), forms::DialogResult::OK);
    EXPECT_TRUE(form->Visible()) << "a non-modal form stays open";
}

TEST_F(FormTest, SizeAndLocationEventsFireOnlyOnChange) {
    auto* form = new QueueForm(&log);
    form->SetLocation({0, 0});
    form->SetSize({150, 308});
    EXPECT_TRUE(log.empty());
    form->SetWidth(200);
    form->SetLocation({10, 20});
    EXPECT_EQ(log, (Log{"Resize", "Move"})) << "hidden forms fire too";
    form->Show();
    log.clear();
    automation::MoveTo(*form, {10, 20});
    automation::ResizeTo(*form, {200, 308});
    EXPECT_TRUE(log.empty());
    automation::ResizeTo(*form, {100, 50});
    EXPECT_EQ(log, (Log{"Resize"}));
    EXPECT_EQ(form->Size(), forms::Size(150, 70));
    automation::MoveTo(*form, {-5, 7});
    EXPECT_EQ(form->Location(), forms::Point(-5, 7));
}

TEST_F(FormTest, CloseRunsClosingClosedThenDisposeAndFreesLater) {
    auto* form = new QueueForm(&log);
    form->Show();
    form->cancelClose = true;
    log.clear();
    automation::Close(*form);
    EXPECT_EQ(log, (Log{"FormClosing"}));
    EXPECT_TRUE(form->Visible());
    form->cancelClose = false;
    log.clear();
    form->Close();
    EXPECT_EQ(log, (Log{"FormClosing", "FormClosed", "Dispose(true) visible=1", "VisibleChanged"}));
    EXPECT_TRUE(form->IsDisposed()) << "still readable until the next pump step";
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(automation::OpenForms().empty());
    EXPECT_EQ(forms::Application::LiveFormCount(), 1);
    forms::Application::Collect();
    EXPECT_EQ(log.back(), "~QueueForm");
    EXPECT_EQ(forms::Application::LiveFormCount(), 0);
}

TEST_F(FormTest, ANeverShownFormOnlyDisposes) {
    auto* form = new QueueForm(&log);
    form->Close();
    EXPECT_EQ(log, (Log{"Dispose(true) visible=0"}));
    EXPECT_THROW(form->Show(), std::logic_error);
    forms::Application::DoEvents();
    EXPECT_EQ(log.back(), "~QueueForm");
}

TEST_F(FormTest, CollectInsideADispatchWaitsForItToUnwind) {
    auto* form = new QueueForm(&log);
    form->Show();
    form->removeButton->Click += [&](forms::Object&, const forms::EventArgs&) {
        form->Close();
        forms::Application::Collect();
        log.push_back(form->IsDisposed() ? "still there" : "?");
    };
    automation::Click(*form->removeButton);
    EXPECT_EQ(log[log.size() - 2], "still there");
    EXPECT_EQ(log.back(), "~QueueForm");
}

TEST_F(FormTest, AThrowingConstructorLeaksNothing) {
    EXPECT_THROW(new QueueForm(&log, true), std::runtime_error);
    EXPECT_EQ(forms::Application::LiveFormCount(), 0);
    // A later control is not adopted by the dead form.
    auto* button = new forms::Button();
    delete button;
}

TEST_F(FormTest, ShutdownDisposesAndFreesOpenForms) {
    Log first, second;
    (new QueueForm(&first))->Show();
    new QueueForm(&second);
    forms::Application::Shutdown();
    EXPECT_EQ(first, (Log{"Load", "VisibleChanged", "Activated", "Dispose(true) visible=1", "VisibleChanged", "~QueueForm"}));
    EXPECT_EQ(second, (Log{"Dispose(true) visible=0", "~QueueForm"}));
}

TEST_F(FormTest, ShownComesFromThePump) {
    auto* form = new forms::Form();
    int shown = 0;
    form->Shown += [&](forms::Object&, const forms::EventArgs&) { ++shown; };
    form->Show();
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(forms::Application::DoEvents());
    EXPECT_EQ(shown, 1);
}

TEST_F(FormTest, RemovedControlsAreReturnedAndForgotten) {
    auto* form = new QueueForm();
    form->Show();
    auto owned = form->tableLayoutPanel1->Controls.Remove(form->closeButton);
    ASSERT_EQ(owned.get(), form->closeButton);
    EXPECT_EQ(form->AcceptButton(), nullptr);
    EXPECT_EQ(form->CancelButton(), nullptr);
    EXPECT_EQ(form->ActiveControl(), nullptr);
    automation::PressKey(*form, Keys::Escape);  // nothing to press, nothing fails
    EXPECT_TRUE(form->Visible());
}

}  // namespace
}  // namespace forms_test
