#pragma once
#include "settings/Records.h"

#include <string>
#include <vector>

namespace kdx::test {

// Two complete sets of saved settings that differ in every field and in list length, so any
// half-written save shows up as neither of them.
struct SaveContents {
    TSavers savers;
    TWallpaper paper;
    TMisc misc;
};

inline SaveContents ContentsA()
{
    SaveContents c;
    c.savers.Items = {"/opt/savers/Aquarium.scr", "/opt/savers/with space.scr", "/opt/savers/third.scr"};
    c.savers.RandomType = 1;
    c.savers.Interval = 15;
    c.paper.Items = {"/pictures/a1.jpg", "/pictures/a2.bmp"};
    c.paper.Interval = 30;
    c.paper.Style = 1;
    c.paper.Cycle = 2;
    c.paper.PrevChange = TDateTime::FromCivil({2026, 1, 2, 3, 4, 5, 0});
    c.paper.Activate = true;
    c.misc.RandomWhat = {"Saver", "Flash"};
    c.misc.ActivateHotKey = "A";
    c.misc.ExecuteHotKey = "E";
    c.misc.AutoSave = true;
    return c;
}

inline SaveContents ContentsB()
{
    SaveContents c;
    for (int n = 0; n < 40; ++n)
        c.savers.Items.push_back("/usr/share/savers/b" + std::to_string(n) + ".scr");
    c.savers.RandomType = 2;
    c.savers.Interval = 45;
    for (int n = 0; n < 25; ++n)
        c.paper.Items.push_back("/home/user/Pictures/b" + std::to_string(n) + ".jpg");
    c.paper.Interval = 90;
    c.paper.Style = 2;
    c.paper.Cycle = 0;
    c.paper.PrevChange = TDateTime::FromCivil({2027, 6, 7, 8, 9, 10, 0});
    c.paper.Activate = false;
    c.misc.RandomWhat = {"Image", "Saver", "Flash", "Image"};
    c.misc.Sub = true;
    c.misc.ActivateHotKey = "Q";
    c.misc.ExecuteHotKey = "W";
    c.misc.AutoSave = false;
    return c;
}

} // namespace kdx::test
