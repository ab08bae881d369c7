#include "platform/posix/x11/VirtualKeys.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

using kdx::platform::posix::KeySymOfVirtualKey;

TEST(VirtualKeys, LettersDigitsAndTheKeysThatShareTheirCodes)
{
    EXPECT_EQ(XK_a, KeySymOfVirtualKey('A'));
    EXPECT_EQ(XK_e, KeySymOfVirtualKey('E'));
    EXPECT_EQ(XK_z, KeySymOfVirtualKey('Z'));
    EXPECT_EQ(XK_0, KeySymOfVirtualKey('0'));
    EXPECT_EQ(XK_7, KeySymOfVirtualKey('7'));
    // The codes of the lower-case characters are the numeric keypad's and F keys'.
    EXPECT_EQ(XK_KP_1, KeySymOfVirtualKey('a'));
    EXPECT_EQ(XK_KP_Divide, KeySymOfVirtualKey('o'));
    EXPECT_EQ(XK_F1, KeySymOfVirtualKey('p'));
    EXPECT_EQ(XK_F24, KeySymOfVirtualKey(0x87));
    // Punctuation characters are codes of other keys, as Windows reads them.
    EXPECT_EQ(XK_space, KeySymOfVirtualKey(' '));
    EXPECT_EQ(XK_Insert, KeySymOfVirtualKey('-'));
    EXPECT_EQ(XK_Delete, KeySymOfVirtualKey('.'));
    EXPECT_EQ(XK_BackSpace, KeySymOfVirtualKey(8));
    EXPECT_EQ(XK_comma, KeySymOfVirtualKey(0xBC));
}

TEST(VirtualKeys, CodesWithoutAKeyGiveNoSymbol)
{
    for (unsigned vk : {0u, 0x3Au, 0x40u, 0x88u, 0xFFu, 0x1234u})
        EXPECT_EQ(0u, KeySymOfVirtualKey(vk)) << vk;
}
