#pragma once
#include "DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kdx {

// An ordered list of strings: never sorted, duplicates allowed.
using TStrings = std::vector<std::string>;

// The settings records: plain snapshots of the settings file, fields named after its keys.
// A record starts empty; ReleaseItems drops its list when the owner is done with it.

struct TSavers {
    TStrings Items; // [SaverList]
    std::int32_t RandomType = 0;
    std::int32_t Interval = 0;
    void ReleaseItems() { TStrings().swap(Items); }
};

struct TFlashs {
    TStrings Items; // [FlashList]
    std::int32_t Size = 0;
    std::int32_t RandomType = 0;
    void ReleaseItems() { TStrings().swap(Items); }
};

struct TImages {
    TStrings Items; // [ImageList]
    std::int32_t Interval = 0;
    std::int32_t Size = 0;
    void ReleaseItems() { TStrings().swap(Items); }
};

struct TWallpaper {
    std::int32_t Interval = 0;
    TStrings Items; // [PaperList]
    std::int32_t Style = 0;
    std::int32_t Cycle = 0;
    TDateTime PrevChange;
    bool Activate = false;
    // A different picture on each monitor; off (the key missing or 0) is one picture for all.
    bool PerMonitor = false;
    void ReleaseItems() { TStrings().swap(Items); }
};

struct TMisc {
    bool Sub = false;
    std::string ActivateHotKey;
    std::string ExecuteHotKey;
    TStrings RandomWhat; // [RandomWhat]
    bool Startup = false;
    bool AutoSave = false;
    void ReleaseItems() { TStrings().swap(RandomWhat); }
};

} // namespace kdx
