// The holder of a form's non-visual components: it disposes each of them once
// with itself, and deletes them when it goes.

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "forms/component.h"

namespace {

class Counted : public forms::Component {
public:
    explicit Counted(int* p_deleted) : deleted_(p_deleted) {
        Disposed += [this](forms::Object&, const forms::EventArgs&) { ++disposed; };
    }
    ~Counted() override { ++*deleted_; }
    int disposed = 0;

private:
    int* deleted_;
};

TEST(Container, DisposesEachComponentOnceAndDeletesThemWithItself) {
    int deleted = 0;
    auto container = std::make_unique<forms::Container>();
    auto* first = new Counted(&deleted);
    auto* second = new Counted(&deleted);
    container->Add(first);
    container->Add(nullptr);
    container->Add(second);
    EXPECT_EQ(container->Count(), 2);
    int container_disposed = 0;
    container->Disposed += [&](forms::Object&, const forms::EventArgs&) { ++container_disposed; };

    container->Dispose();
    container->Dispose();
    EXPECT_EQ(std::make_tuple(first->disposed, second->disposed, container_disposed), std::make_tuple(1, 1, 1));
    EXPECT_TRUE(first->IsDisposed() && second->IsDisposed() && container->IsDisposed());
    EXPECT_EQ(deleted, 0) << "disposed, not yet deleted";
    container.reset();
    EXPECT_EQ(deleted, 2);
}

}  // namespace
