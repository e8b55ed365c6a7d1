#pragma once

#include <gtest/gtest.h>

#include "forms/forms.h"

namespace forms_test {

// Every test leaves the toolkit empty, so the leak checker sees every form freed.
class FormsTest : public ::testing::Test {
protected:
    void TearDown() override {
        forms::Application::Shutdown();
        EXPECT_EQ(forms::Application::LiveFormCount(), 0);
    }
};

}  // namespace forms_test
