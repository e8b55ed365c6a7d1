#include "forms/component.h"

namespace forms {

void Component::Dispose() {
    if (disposed_ || disposing_) return;
    disposing_ = true;
    struct Finish {
        Component* self;
        ~Finish() { self->disposed_ = true; }
    } finish{this};
    Dispose(true);
}

void Component::Dispose(bool disposing) {
    const bool first = !disposed_;
    disposed_ = true;
    if (disposing && first) Disposed.Raise(*this, EventArgs());
}

Container::~Container() {
    for (Component* c : components_) delete c;
}

void Container::Add(Component* component) {
    if (component) components_.push_back(component);
}

void Container::Dispose(bool disposing) {
    if (disposing)
        for (Component* c : components_) c->Dispose();
    Component::Dispose(disposing);
}

}  // namespace forms
