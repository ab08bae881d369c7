#pragma once
// A test suite on the X server of $DISPLAY under a window manager, as on a desktop (focus and
// stacking behave as users see them), started for the suite when none runs; skipped without an
// X server. scripts/test runs these under Xvfb.
#include "WindowManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace kdx::test {

class WindowManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (std::getenv("DISPLAY"))
            windowManager = std::make_unique<ScopedWindowManager>();
    }
    static void TearDownTestSuite() { windowManager.reset(); }

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(windowManager->Running()) << "openbox did not start";
    }

    static inline std::unique_ptr<ScopedWindowManager> windowManager;
};

} // namespace kdx::test
