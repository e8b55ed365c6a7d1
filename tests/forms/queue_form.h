// A window built the way the component's queue window is, with a log of what its
// handlers saw, and the fixture of the toolkit's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/forms.h"

namespace forms_test {

using Log = std::vector<std::string>;
using forms::Keys;
namespace automation = forms::automation;

// Every test leaves the toolkit empty, so the leak checker sees every form freed.
class FormsTest : public ::testing::Test {
protected:
    void TearDown() override {
        forms::Application::Shutdown();
        EXPECT_EQ(forms::Application::LiveFormCount(), 0);
    }
};

class QueueForm : public forms::Form {
    Log* log_;
    void Write(const std::string& entry) {
        if (log_) log_->push_back(entry);
    }
    auto Logger(std::string entry) {
        return [this, entry](forms::Object&, const auto&) { Write(entry); };
    }
    void SetUpControl(forms::Control& c, const char16_t* name, forms::Point location, forms::Size size, int tabIndex) {
        c.SetDock(forms::DockStyle::Fill);
        c.SetLocation(location);
        c.SetName(name);
        c.SetSize(size);
        c.SetTabIndex(tabIndex);
    }
    void SetUpButton(forms::Button& b, const char16_t* name, const char16_t* text, forms::Point location,
                     forms::Size size, forms::Padding margin, int tabIndex, bool autoSize) {
        b.SetAutoSize(autoSize);
        SetUpControl(b, name, location, size, tabIndex);
        b.SetMargin(margin);
        b.SetText(text);
        b.SetUseVisualStyleBackColor(true);
        b.Click += Logger(forms::to_utf8(name) + ".Click");
    }

public:
    explicit QueueForm(Log* log = nullptr, bool failAfterControls = false) : log_(log) {
        removeButton = new forms::Button();
        clearButton = new forms::Button();
        closeButton = new forms::Button();
        tableLayoutPanel1 = new forms::TableLayoutPanel();
        queueList = new forms::ListBox();
        if (failAfterControls) throw std::runtime_error("construction failed");
        tableLayoutPanel1->SuspendLayout();
        SuspendLayout();

        SetUpButton(*removeButton, u"removeButton", u"Delete", {0, 261}, {46, 23}, {0, 0, 1, 0}, 2, false);
        SetUpButton(*clearButton, u"clearButton", u"Clear", {49, 261}, {44, 23}, {2, 0, 1, 0}, 3, true);
        SetUpButton(*closeButton, u"closeButton", u"Close", {96, 261}, {46, 23}, {2, 0, 0, 0}, 0, true);
        closeButton->SetDialogResult(forms::DialogResult::Cancel);
        closeButton->Click += [this](forms::Object&, const forms::EventArgs&) { Close(); };

        tableLayoutPanel1->SetColumnCount(3);
        for (float percent : {33.33112F, 33.33443F, 33.33445F})
            tableLayoutPanel1->ColumnStyles.Add(forms::ColumnStyle(forms::SizeType::Percent, percent));
        tableLayoutPanel1->Controls.Add(queueList, 0, 0);
        tableLayoutPanel1->Controls.Add(removeButton, 0, 1);
        tableLayoutPanel1->Controls.Add(closeButton, 2, 1);
        tableLayoutPanel1->Controls.Add(clearButton, 1, 1);
        SetUpControl(*tableLayoutPanel1, u"tableLayoutPanel1", {0, 0}, {142, 284}, 5);
        tableLayoutPanel1->SetRowCount(2);
        tableLayoutPanel1->RowStyles.Add(forms::RowStyle(forms::SizeType::Percent, 100.0F));
        tableLayoutPanel1->RowStyles.Add(forms::RowStyle(forms::SizeType::Absolute, 23.0F));
        tableLayoutPanel1->SetColumnSpan(queueList, 3);

        SetUpControl(*queueList, u"queueList", {0, 0}, {142, 258}, 1);
        queueList->SetFormattingEnabled(true);
        queueList->SetIntegralHeight(false);
        queueList->SetMargin(forms::Padding(0, 0, 0, 3));
        queueList->SetSelectionMode(forms::SelectionMode::MultiExtended);

        SetAcceptButton(closeButton);
        SetAutoScaleDimensions(forms::SizeF(6.0F, 13.0F));
        SetAutoScaleMode(forms::AutoScaleMode::Font);
        SetCancelButton(closeButton);
        SetClientSize(forms::Size(142, 284));
        Controls.Add(tableLayoutPanel1);
        SetFormBorderStyle(forms::FormBorderStyle::SizableToolWindow);
        SetKeyPreview(true);
        SetMaximizeBox(false);
        SetMinimizeBox(false);
        SetMinimumSize(forms::Size(150, 70));
        SetName(u"ManagerWin");
        SetShowIcon(false);
        SetShowInTaskbar(false);
        SetStartPosition(forms::FormStartPosition::Manual);
        SetText(u"Sorvale");
        SetTopMost(true);
        Resize += Logger("Resize");
        Move += Logger("Move");
        FormClosed += Logger("FormClosed");
        Activated += Logger("Activated");
        VisibleChanged += Logger("VisibleChanged");
        Load += Logger("Load");
        KeyDown += [this](forms::Object&, forms::KeyEventArgs& e) {
            Write("Form.KeyDown " + std::to_string(static_cast<int>(e.KeyCode)));
            if (handleKeys) e.Handled = true;
        };
        FormClosing += [this](forms::Object&, forms::FormClosingEventArgs& e) { Write("FormClosing"); e.Cancel = cancelClose; };
        queueList->KeyDown += [this](forms::Object&, forms::KeyEventArgs& e) {
            Write("queueList.KeyDown " + std::to_string(static_cast<int>(e.KeyCode)));
        };

        tableLayoutPanel1->ResumeLayout(false);
        tableLayoutPanel1->PerformLayout();
        ResumeLayout(false);
    }
    ~QueueForm() override { Write("~QueueForm"); }

    forms::Button *removeButton, *clearButton, *closeButton;
    forms::TableLayoutPanel* tableLayoutPanel1;
    forms::ListBox* queueList;
    bool handleKeys = false, cancelClose = false;

protected:
    void Dispose(bool disposing) override {
        Write(std::string("Dispose(") + (disposing ? "true" : "false") + ") visible=" + (Visible() ? "1" : "0"));
        forms::Form::Dispose(disposing);
    }

};

}  // namespace forms_test
