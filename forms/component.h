// Components: what can be disposed, and the holder of non-visual ones.
#pragma once

#include <vector>

#include "forms/events.h"

namespace forms {

// Something that can be disposed: releases what it holds at once, while the
// memory goes later. Dispose(bool) is the hook a derived class extends; it must
// chain to its base.
class Component : public Object {
public:
    Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    ~Component() override = default;

    // Runs Dispose(true) once; later calls do nothing.
    void Dispose();
    bool IsDisposed() const { return disposed_; }

    Event<const EventArgs> Disposed;

protected:
    // disposing: true when called through Dispose(); the base raises Disposed.
    virtual void Dispose(bool disposing);

private:
    bool disposed_ = false;
    bool disposing_ = false;
};

// Holds non-visual components and disposes and deletes them with itself.
class Container : public Component {
public:
    using Component::Dispose;
    ~Container() override;
    void Add(Component* component);  // takes ownership
    int Count() const { return static_cast<int>(components_.size()); }

protected:
    void Dispose(bool disposing) override;

private:
    std::vector<Component*> components_;
};

}  // namespace forms
