// A window built the way the component's queue window is, with a log of what its
// handlers saw, for the toolkit's tests.
#pragma once

#include <string>
#include <vector>

#include "forms/forms.h"

namespace forms_test {

class QueueForm : public forms::Form {
public:
    explicit QueueForm(std::vector<std::string>* log = nullptr, bool failAfterControls = false) : log_(log) {
        removeButton = new forms::Button();
        clearButton = new forms::Button();
        closeButton = new forms::Button();
        tableLayoutPanel1 = new forms::TableLayoutPanel();
        queueList = new forms::ListBox();
        if (failAfterControls) throw std::runtime_error("construction failed");
        tableLayoutPanel1->SuspendLayout();
        SuspendLayout();

        removeButton->SetDock(forms::DockStyle::Fill);
        removeButton->SetLocation(forms::Point(0, 261));
        removeButton->SetMargin(forms::Padding(0, 0, 1, 0));
        removeButton->SetName(u"removeButton");
        removeButton->SetSize(forms::Size(46, 23));
        removeButton->SetTabIndex(2);
        removeButton->SetText(u"Delete");
        removeButton->SetUseVisualStyleBackColor(true);
        removeButton->Click += [this](forms::Object&, const forms::EventArgs&) { Log("removeButton.Click"); };

        clearButton->SetAutoSize(true);
        clearButton->SetDock(forms::DockStyle::Fill);
        clearButton->SetLocation(forms::Point(49, 261));
        clearButton->SetMargin(forms::Padding(2, 0, 1, 0));
        clearButton->SetName(u"clearButton");
        clearButton->SetSize(forms::Size(44, 23));
        clearButton->SetTabIndex(3);
        clearButton->SetText(u"Clear");
        clearButton->SetUseVisualStyleBackColor(true);
        clearButton->Click += [this](forms::Object&, const forms::EventArgs&) { Log("clearButton.Click"); };

        closeButton->SetAutoSize(true);
        closeButton->SetDialogResult(forms::DialogResult::Cancel);
        closeButton->SetDock(forms::DockStyle::Fill);
        closeButton->SetLocation(forms::Point(96, 261));
        closeButton->SetMargin(forms::Padding(2, 0, 0, 0));
        closeButton->SetName(u"closeButton");
        closeButton->SetSize(forms::Size(46, 23));
        closeButton->SetTabIndex(0);
        closeButton->SetText(u"Close");
        closeButton->SetUseVisualStyleBackColor(true);
        closeButton->Click += [this](forms::Object&, const forms::EventArgs&) {
            Log("closeButton.Click");
            Close();
        };

        tableLayoutPanel1->SetColumnCount(3);
        tableLayoutPanel1->ColumnStyles.Add(forms::ColumnStyle(forms::SizeType::Percent, 33.33112F));
        tableLayoutPanel1->ColumnStyles.Add(forms::ColumnStyle(forms::SizeType::Percent, 33.33443F));
        tableLayoutPanel1->ColumnStyles.Add(forms::ColumnStyle(forms::SizeType::Percent, 33.33445F));
        tableLayoutPanel1->Controls.Add(queueList, 0, 0);
        tableLayoutPanel1->Controls.Add(removeButton, 0, 1);
        tableLayoutPanel1->Controls.Add(closeButton, 2, 1);
        tableLayoutPanel1->Controls.Add(clearButton, 1, 1);
        tableLayoutPanel1->SetDock(forms::DockStyle::Fill);
        tableLayoutPanel1->SetLocation(forms::Point(0, 0));
        tableLayoutPanel1->SetName(u"tableLayoutPanel1");
        tableLayoutPanel1->SetRowCount(2);
        tableLayoutPanel1->RowStyles.Add(forms::RowStyle(forms::SizeType::Percent, 100.0F));
        tableLayoutPanel1->RowStyles.Add(forms::RowStyle(forms::SizeType::Absolute, 23.0F));
        tableLayoutPanel1->SetSize(forms::Size(142, 284));
        tableLayoutPanel1->SetTabIndex(5);
        tableLayoutPanel1->SetColumnSpan(queueList, 3);

        queueList->SetDock(forms::DockStyle::Fill);
        queueList->SetFormattingEnabled(true);
        queueList->SetIntegralHeight(false);
        queueList->SetLocation(forms::Point(0, 0));
        queueList->SetMargin(forms::Padding(0, 0, 0, 3));
        queueList->SetName(u"queueList");
        queueList->SetSelectionMode(forms::SelectionMode::MultiExtended);
        queueList->SetSize(forms::Size(142, 258));
        queueList->SetTabIndex(1);

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
        Resize += [this](forms::Object&, const forms::EventArgs&) { Log("Resize"); };
        Move += [this](forms::Object&, const forms::EventArgs&) { Log("Move"); };
        KeyDown += [this](forms::Object&, forms::KeyEventArgs& e) {
            Log("Form.KeyDown " + std::to_string(static_cast<int>(e.KeyCode)));
            if (handleKeys) e.Handled = true;
        };
        FormClosing += [this](forms::Object&, forms::FormClosingEventArgs& e) {
            Log("FormClosing");
            e.Cancel = cancelClose;
        };
        FormClosed += [this](forms::Object&, const forms::FormClosedEventArgs&) { Log("FormClosed"); };
        Activated += [this](forms::Object&, const forms::EventArgs&) { Log("Activated"); };
        VisibleChanged += [this](forms::Object&, const forms::EventArgs&) { Log("VisibleChanged"); };
        Load += [this](forms::Object&, const forms::EventArgs&) { Log("Load"); };
        queueList->KeyDown += [this](forms::Object&, forms::KeyEventArgs& e) {
            Log("queueList.KeyDown " + std::to_string(static_cast<int>(e.KeyCode)));
        };

        tableLayoutPanel1->ResumeLayout(false);
        tableLayoutPanel1->PerformLayout();
        ResumeLayout(false);
    }

    ~QueueForm() override { Log("~QueueForm"); }

    forms::Button* removeButton;
    forms::Button* clearButton;
    forms::Button* closeButton;
    forms::TableLayoutPanel* tableLayoutPanel1;
    forms::ListBox* queueList;
    bool handleKeys = false;
    bool cancelClose = false;

protected:
    void Dispose(bool disposing) override {
        Log(std::string("Dispose(") + (disposing ? "true" : "false") + ") visible=" + (Visible() ? "1" : "0"));
        forms::Form::Dispose(disposing);
    }

private:
    void Log(const std::string& entry) {
        if (log_) log_->push_back(entry);
    }
    std::vector<std::string>* log_;
};

}  // namespace forms_test
