#include "forms/control_collection.h"

#include <algorithm>
#include <stdexcept>

#include "forms/control.h"
#include "forms/form.h"

namespace forms {

void ControlCollection::Add(Control* control) {
    if (!control) throw std::invalid_argument("cannot add a null control");
    if (control == owner_) throw std::invalid_argument("a control cannot contain itself");
    for (Control* c = owner_; c; c = c->parent_)
        if (c == control) throw std::invalid_argument("a control cannot contain its own parent");
    if (dynamic_cast<Form*>(control)) throw std::invalid_argument("a form is a top-level window");
    if (control->parent_ == owner_) return;
    if (control->parent_) control->parent_->Controls.Remove(control).release();
    if (control->adopter_) control->adopter_->Unadopt(control);
    control->parent_ = owner_;
    owner_->children_.push_back(control);
    owner_->PerformLayout();
    owner_->Invalidate();
}

std::unique_ptr<Control> ControlCollection::Remove(Control* control) {
    auto& children = owner_->children_;
    auto it = std::find(children.begin(), children.end(), control);
    if (it == children.end()) return nullptr;
    children.erase(it);
    // Focus, accept and cancel buttons must not point into a detached tree.
    if (Form* form = owner_->FindForm()) {
        form->Forget(control);
        for (Control* c = form->ActiveControl(); c; c = c->parent_)
            if (c == control) form->SetActiveControl(nullptr);
    }
    control->parent_ = nullptr;
    owner_->PerformLayout();
    owner_->Invalidate();
    return std::unique_ptr<Control>(control);
}

int ControlCollection::Count() const { return static_cast<int>(owner_->children_.size()); }

Control* ControlCollection::operator[](int index) const {
    return owner_->children_.at(static_cast<std::size_t>(index));
}

int ControlCollection::IndexOf(const Control* control) const {
    const auto& children = owner_->children_;
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i] == control) return static_cast<int>(i);
    return -1;
}

}  // namespace forms
