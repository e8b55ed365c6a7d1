#pragma once

// The form both native backends' tests show: a small always-on-top tool
// window, a list of six lines over a Close button that Esc presses.

#include <memory>
#include <utility>

#include "forms/forms.h"

class Picker : public forms::Form {
public:
    Picker() {
        list = new forms::ListBox();
        closeButton = new forms::Button();
        SuspendLayout();
        list->SetSelectionMode(forms::SelectionMode::MultiExtended);
        list->SetIntegralHeight(false);
        list->SetBounds({0, 0, 160, 90});
        list->SetTabIndex(0);
        for (const char16_t* line : {u"one", u"two", u"three", u"four", u"five", u"six"}) list->Items.Add(line);
        closeButton->SetText(u"Close");
        closeButton->SetBounds({0, 95, 75, 23});
        closeButton->SetTabIndex(1);
        closeButton->Click += [this](forms::Object&, const forms::EventArgs&) { Close(); };
        Controls.Add(list);
        Controls.Add(closeButton);
        SetCancelButton(closeButton);
        SetText(u"Picker");
        SetFormBorderStyle(forms::FormBorderStyle::SizableToolWindow);
        SetClientSize({160, 120});
        SetMinimumSize({100, 80});
        SetMaximizeBox(false);
        SetMinimizeBox(false);
        SetShowInTaskbar(false);
        SetTopMost(true);
        SetStartPosition(forms::FormStartPosition::Manual);
        SetLocation({50, 60});
        ResumeLayout(false);
    }
    // The middle of list line `index`, in the form's client area.
    forms::Point Line(int index) const {
        const forms::Rectangle line = list->GetItemRectangle(index);
        const forms::Padding border = list->ClientInsets();
        return {list->Left() + border.Left + line.X + 10, list->Top() + border.Top + line.Y + line.Height / 2};
    }

    forms::ListBox* list;
    forms::Button* closeButton;
};

// Three activations in a row, before the window system has answered any: a
// second Picker shown, then `first` activated, then the second again. After
// `settle` has handled what came back (nothing of which is input, by the echo
// rule): the second form, and how often `first` was activated and the second
// deactivated.
template <class Settle>
std::pair<Picker*, std::pair<int, int>> ActivateInARow(Picker& first, Settle settle) {
    auto* second = new Picker();
    second->SetLocation({300, 60});
    // The handlers outlive this call: the toolkit raises them at its shutdown too.
    auto counts = std::make_shared<std::pair<int, int>>();
    first.Activated += [counts](forms::Object&, const forms::EventArgs&) { ++counts->first; };
    second->Deactivate += [counts](forms::Object&, const forms::EventArgs&) { ++counts->second; };
    second->Show();
    first.Activate();
    second->Activate();
    settle();
    return {second, *counts};
}
