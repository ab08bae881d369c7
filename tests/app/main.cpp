#include "app/FontWarmUp.h"
#include "app/TApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Text drawn and measured as the agent does it; on Linux never a window on a real desktop,
    // test discovery included.
    kdx::ChooseFontEngine();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kdx::TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
