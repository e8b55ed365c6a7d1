// The toolkit tests' own window, a small picker: a list across a table's top
// row and three buttons below it (OK accepts and closes, Cancel cancels and
// closes, Apply only clicks), with key preview and tab indices, logging what
// its handlers see. Its geometry comes from a Design, so a test can build the
// same window to other figures. Also the fixture of the toolkit's tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
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

struct Design {
    forms::FormBorderStyle border = forms::FormBorderStyle::Sizable;
    forms::Size client{205, 160};
    // An absolute column and two percent ones; a percent row over an absolute one.
    std::vector<forms::ColumnStyle> columns{
        {forms::SizeType::Absolute, 60}, {forms::SizeType::Percent, 30}, {forms::SizeType::Percent, 70}};
    std::vector<forms::RowStyle> rows{{forms::SizeType::Percent, 100}, {forms::SizeType::Absolute, 25}};
    forms::Padding listMargin{2, 2, 2, 4};
    std::array<forms::Padding, 3> buttonMargins{{{0, 1, 2, 1}, {2, 1, 2, 1}, {2, 1, 0, 1}}};
};

class TestForm : public forms::Form {
    Log* log_;
    void Write(const std::string& entry) {
        if (log_) log_->push_back(entry);
    }
    auto Logger(std::string entry) {
        return [this, entry](forms::Object&, const auto&) { Write(entry); };
    }

public:
    explicit TestForm(Log* log = nullptr, const Design& design = {}, bool failAfterControls = false) : log_(log) {
        grid = new forms::TableLayoutPanel();
        list = new forms::ListBox();
        okButton = new forms::Button();
        applyButton = new forms::Button();
        cancelButton = new forms::Button();
        if (failAfterControls) throw std::runtime_error("construction failed");
        SuspendLayout();
        SetName(u"PickForm");
        SetText(u"Pick");
        SetFormBorderStyle(design.border);
        SetClientSize(design.client);
        SetMinimumSize({120, 90});
        SetStartPosition(forms::FormStartPosition::Manual);
        SetAutoScaleDimensions({6, 13});
        SetAutoScaleMode(forms::AutoScaleMode::Font);
        SetKeyPreview(true);

        grid->SetName(u"grid");
        grid->SetDock(forms::DockStyle::Fill);
        grid->SetTabIndex(4);
        grid->SetColumnCount(static_cast<int>(design.columns.size()));
        grid->SetRowCount(static_cast<int>(design.rows.size()));
        for (const auto& style : design.columns) grid->ColumnStyles.Add(style);
        for (const auto& style : design.rows) grid->RowStyles.Add(style);

        list->SetName(u"list");
        list->SetDock(forms::DockStyle::Fill);
        list->SetMargin(design.listMargin);
        list->SetIntegralHeight(false);
        list->SetSelectionMode(forms::SelectionMode::MultiExtended);
        list->SetTabIndex(3);
        list->KeyDown += [this](forms::Object&, forms::KeyEventArgs& e) {
            Write("list.KeyDown " + std::to_string(static_cast<int>(e.KeyCode)));
        };
        grid->Controls.Add(list, 0, 0);
        grid->SetColumnSpan(list, 3);

        // Apply and Cancel tie on TabIndex: the later added, Cancel, goes first.
        const struct { forms::Button* button; const char* name; const char16_t* text; int tabIndex; } buttons[] = {
            {okButton, "okButton", u"OK", 0}, {applyButton, "applyButton", u"Apply", 1}, {cancelButton, "cancelButton", u"Cancel", 1}};
        for (int column = 0; column < 3; ++column) {
            const auto& b = buttons[column];
            b.button->SetName(forms::from_utf8(b.name));
            b.button->SetText(b.text);
            b.button->SetDock(forms::DockStyle::Fill);
            b.button->SetMargin(design.buttonMargins[static_cast<std::size_t>(column)]);
            b.button->SetTabIndex(b.tabIndex);
            b.button->Click += Logger(std::string(b.name) + ".Click");
            grid->Controls.Add(b.button, column, 1);
        }
        applyButton->SetAutoSize(true);  // filling its cell all the same
        okButton->SetDialogResult(forms::DialogResult::OK);
        for (forms::Button* closes : {okButton, cancelButton})
            closes->Click += [this](forms::Object&, const forms::EventArgs&) { Close(); };
        SetAcceptButton(okButton);
        SetCancelButton(cancelButton);
        Controls.Add(grid);

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
        FormClosing += [this](forms::Object&, forms::FormClosingEventArgs& e) {
            Write("FormClosing");
            e.Cancel = cancelClose;
        };
        ResumeLayout(true);
    }
    ~TestForm() override { Write("~TestForm"); }

    forms::TableLayoutPanel* grid;
    forms::ListBox* list;
    forms::Button *okButton, *applyButton, *cancelButton;
    bool handleKeys = false, cancelClose = false;

protected:
    void Dispose(bool disposing) override {
        Write(std::string("Dispose(") + (disposing ? "true" : "false") + ") visible=" + (Visible() ? "1" : "0"));
        forms::Form::Dispose(disposing);
    }
};

}  // namespace forms_test
