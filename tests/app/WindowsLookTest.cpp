// The agent looks like a Windows program: the application runs with Qt's Windows style, which
// the static build must carry.
#include <QApplication>
#include <QStyle>

#include <gtest/gtest.h>

namespace kdx::test {
namespace {

TEST(WindowsLookTest, TheWindowsStyleDrawsTheWindows)
{
    EXPECT_EQ(QApplication::style()->name().toStdString(), "windowsvista");
}

} // namespace
} // namespace kdx::test
