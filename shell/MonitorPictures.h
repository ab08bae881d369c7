#pragma once
#include "platform/Shell.h"
#include "settings/Records.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kdx {

// A picture's size in pixels, read from its header.
struct PictureSize {
    unsigned width = 0, height = 0;
};

// The size of a JPEG picture (".jpg", ".jpeg", any case) or a Windows bitmap (anything else),
// read from its header only; nothing when the file cannot be read as one.
std::optional<PictureSize> ReadPictureSize(const std::string& path);

// Picture sizes read once per picture and kept for the run: the pick of a picture whose shape
// fits a monitor asks for them at every change.
class TPictureSizes {
public:
    std::optional<PictureSize> Of(const std::string& path);

private:
    std::map<std::string, std::optional<PictureSize>> known_;
};

// A picture "fits" a monitor when both are portrait (taller than wide) or both are not.
bool ShapeFits(const PictureSize& picture, unsigned monitorWidth, unsigned monitorHeight);

// Chooses one entry of Items for a monitor of Width x Height: never one of Avoid while Items
// holds another; among the rest, one whose shape fits the monitor when one is found among the
// first few tried (in random order, so that a long list costs only a few header reads, and the
// time does not grow with the list). RandomBelow(N) gives 0..N-1; SizeOf gives a picture's
// size, or nothing. Items is not empty.
std::string PickPicture(const TStrings& items, const std::set<std::string>& avoid, unsigned width, unsigned height,
    const std::function<int(int)>& randomBelow,
    const std::function<std::optional<PictureSize>(const std::string&)>& sizeOf);

// The entry a change shows, from Drawn (the rotation's own random index): Drawn itself, unless
// it is Shown (the picture on the desktop now) while Items holds another; then an entry drawn
// anew among those that are not, each as likely as the others. Items is not empty.
std::size_t IndexOtherThanShown(
    const TStrings& items, const std::string& shown, std::size_t drawn, const std::function<int(int)>& randomBelow);

// One monitor's picture in a change that gives each monitor its own.
struct MonitorPick {
    platform::Monitor monitor;
    std::string picture;
    // Its bitmap must be made (a new picture or a new size); otherwise the one made before stays.
    bool remake = true;
    // The desktop must be handed it (made anew, or the monitor is new to the desktop).
    bool fresh = true;
};

// What the agent gave each monitor last, by the monitor's name, kept for the run so that a
// monitor that comes back gets its picture again.
struct MonitorRecord {
    std::string picture;
    unsigned width = 0, height = 0;
};
using MonitorRecords = std::map<std::string, MonitorRecord>;

// A change of the rotation: every monitor a new picture, no picture twice while the list has
// enough, none on the monitor that shows it now while the list has another, a fitting shape
// preferred. Monitors is the desktop's, the primary first.
std::vector<MonitorPick> PlanRotation(const std::vector<platform::Monitor>& monitors, const TStrings& items,
    const MonitorRecords& records, const std::function<int(int)>& randomBelow,
    const std::function<std::optional<PictureSize>(const std::string&)>& sizeOf);

// A change of the monitors (added, removed, moved, turned): a monitor shown before (in Shown)
// keeps its picture, remade only when its size changed; a monitor that comes back gets the
// picture it had, unless another monitor now shows it and the list has others; a new monitor
// gets a picture no other monitor shows. PictureUsable says whether a picture can still be
// made (a file that went is replaced by a new pick).
std::vector<MonitorPick> PlanMonitorChange(const std::vector<platform::Monitor>& monitors,
    const std::vector<platform::Monitor>& shown, const TStrings& items, const MonitorRecords& records,
    const std::function<int(int)>& randomBelow,
    const std::function<std::optional<PictureSize>(const std::string&)>& sizeOf,
    const std::function<bool(const std::string&)>& pictureUsable);

// The records after Picks were made and shown.
void Remember(MonitorRecords& records, const std::vector<MonitorPick>& picks);

} // namespace kdx
