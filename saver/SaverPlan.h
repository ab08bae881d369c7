#pragma once
#include "settings/Records.h"

#include <functional>
#include <string>

namespace kdx {
class TConfig;
}

namespace kdx::saver {

// The kinds of [RandomWhat]: "0", "1" and "2".
enum class ShowKind { Programs, Flash, Pictures, Nothing };

// What one run of the screensaver shows: one kind, with the entries of its list that can be
// used, and the list's options brought into the range the editors keep; or, when no chosen
// kind has anything usable, the one line that says why.
struct SaverPlan {
    ShowKind kind = ShowKind::Nothing;
    TStrings items;
    int intervalSeconds = 0; // 1..999
    int randomType = 0; // programs: 0 a new one every interval, 1 one for the whole run
    int size = 0; // pictures: 0 full size, 1 fit, 2 full screen
    std::string message;
};

// Fixed texts of the screensaver, each a part of its one-line message.
namespace texts {
inline constexpr const char* NothingChosen
    = "No list is chosen for the screensaver: choose one in the preferences of Kaleidra Agent";
inline constexpr const char* SaverListEmpty = "the screensaver list is empty";
inline constexpr const char* SaversMissing = "none of the listed screensavers exists";
inline constexpr const char* NoWine = "screensaver programs need Wine, which is not installed";
inline constexpr const char* SaversFailed = "none of the listed screensavers runs";
inline constexpr const char* NoFlashPlayer
    = "Flash movies cannot be played here: there is no Flash player for this system";
inline constexpr const char* AgentNotStarted
    = "Kaleidra Agent has not been started yet: start it and choose there what the screensaver shows";
inline constexpr const char* PictureListEmpty = "the picture list is empty";
inline constexpr const char* PicturesMissing = "none of the listed pictures exists";
inline constexpr const char* PicturesUnreadable = "none of the listed pictures can be read";
} // namespace texts

// The one line shown for a list of reasons: a single reason as a sentence, several after
// "Nothing to show: ".
std::string NothingToShow(const TStrings& reasons);

// What the plan asks of the system: why screensaver programs cannot run here (empty when they
// can), whether a listed file is a screensaver program the system runs, a random index below N.
struct PlanSources {
    std::string programsCannotRun;
    std::function<bool(const std::string& path)> isSaverProgram;
    std::function<int(int n)> randomBelow;
};

// Chooses, at random, one of the kinds that [RandomWhat] names and that has something usable:
// screensaver programs that exist and that the system runs, when it runs them at all; a picture
// list that is not empty (the pictures are checked as they are shown); never Flash movies, for
// which there is no player.
SaverPlan ChoosePlan(TConfig& config, const PlanSources& sources);

} // namespace kdx::saver
