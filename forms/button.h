// A push button.
#pragma once

#include "forms/control.h"

namespace forms {

class Button : public Control {
public:
    Button();

    forms::DialogResult DialogResult() const { return dialogResult_; }
    void SetDialogResult(forms::DialogResult result) { dialogResult_ = result; }
    bool UseVisualStyleBackColor() const { return useVisualStyleBackColor_; }
    void SetUseVisualStyleBackColor(bool value) { useVisualStyleBackColor_ = value; Invalidate(); }
    // Clicks the button as the user would; does nothing unless it can be selected
    // (in particular on a form that is not visible).
    void PerformClick();
    // Drawn with the heavier frame: Enter would click it.
    bool IsDefault() const;

    // Text width plus 16, line height plus 10 (23 at the design font).
    forms::Size GetPreferredSize() const override;

protected:
    bool IsSelectable() const override { return true; }
    void OnMouseClick(Point point, Keys modifiers) override;
    void OnClick() override;
    void OnKeyDownDefault(KeyEventArgs& e) override;
    void OnPaint(DisplayList& list, Point origin, Rectangle clip) const override;

private:
    forms::DialogResult dialogResult_ = forms::DialogResult::None;
    bool useVisualStyleBackColor_ = false;
};

}  // namespace forms
