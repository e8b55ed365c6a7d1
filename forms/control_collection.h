// The children of a control.
#pragma once

#include <memory>

namespace forms {

class Control;

// A thin handle onto its owner's list of children, index 0 in front. Add takes
// ownership, Remove gives it back.
class ControlCollection {
public:
    explicit ControlCollection(Control* owner) : owner_(owner) {}
    ControlCollection(const ControlCollection&) = delete;
    ControlCollection& operator=(const ControlCollection&) = delete;

    // Appends `control` (moving it from any previous parent) and takes ownership.
    void Add(Control* control);
    // Detaches `control`; returns ownership, or null if it is not a child here.
    std::unique_ptr<Control> Remove(Control* control);
    int Count() const;
    Control* operator[](int index) const;
    bool Contains(const Control* control) const { return IndexOf(control) >= 0; }
    int IndexOf(const Control* control) const;

protected:
    Control* owner_;
};

}  // namespace forms
