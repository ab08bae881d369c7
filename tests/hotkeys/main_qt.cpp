#include "app/TApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Never a window on a real desktop, test discovery included.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    kdx::TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
