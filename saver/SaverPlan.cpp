#include "SaverPlan.h"

#include "platform/AsciiCase.h"
#include "platform/Platform.h"
#include "settings/TConfig.h"

#include <algorithm>

namespace kdx::saver {

namespace {

// A kind with the entries that can be used, or the reason it is skipped.
struct Candidate {
    SaverPlan plan;
    std::string reason;
};

bool Exists(const std::string& path) { return platform::Current().files->FileExists(path); }

int IntervalInRange(int seconds) { return std::clamp(seconds, 1, 999); }

Candidate Programs(TConfig& config, const PlanSources& sources)
{
    TSavers savers;
    config.LoadSavers(savers);
    Candidate c;
    c.plan.kind = ShowKind::Programs;
    c.plan.intervalSeconds = IntervalInRange(savers.Interval);
    c.plan.randomType = savers.RandomType == 1 ? 1 : 0;
    for (const std::string& path : savers.Items)
        if (Exists(path) && sources.isSaverProgram(path))
            c.plan.items.push_back(path);
    if (savers.Items.empty())
        c.reason = texts::SaverListEmpty;
    else if (c.plan.items.empty())
        c.reason = texts::SaversMissing;
    else if (!sources.programsCannotRun.empty())
        c.reason = sources.programsCannotRun;
    return c;
}

Candidate Pictures(TConfig& config)
{
    TImages images;
    config.LoadImages(images);
    Candidate c;
    c.plan.kind = ShowKind::Pictures;
    c.plan.intervalSeconds = IntervalInRange(images.Interval);
    c.plan.size = images.Size >= 0 && images.Size <= 2 ? images.Size : 0;
    // Taken as they are: the show checks each picture it picks, on its reading thread, so a long
    // list or a share that no longer answers never holds up the first picture.
    c.plan.items = std::move(images.Items);
    if (c.plan.items.empty())
        c.reason = texts::PictureListEmpty;
    return c;
}

} // namespace

std::string NothingToShow(const TStrings& reasons)
{
    if (reasons.empty())
        return std::string();
    if (reasons.size() == 1) {
        std::string line = reasons[0] + ".";
        line[0] = UpperAscii(line[0]);
        return line;
    }
    std::string line = "Nothing to show: ";
    for (std::size_t i = 0; i < reasons.size(); ++i)
        line += (i ? "; " : "") + reasons[i];
    return line + ".";
}

SaverPlan ChoosePlan(TConfig& config, const PlanSources& sources)
{
    TMisc misc;
    config.LoadMisc(misc);
    const auto chosen = [&](const char* kind) {
        return std::find(misc.RandomWhat.begin(), misc.RandomWhat.end(), kind) != misc.RandomWhat.end();
    };
    std::vector<SaverPlan> usable;
    TStrings reasons;
    const auto consider = [&](Candidate c) {
        if (c.reason.empty())
            usable.push_back(std::move(c.plan));
        else
            reasons.push_back(c.reason);
    };
    if (chosen("0"))
        consider(Programs(config, sources));
    if (chosen("1"))
        reasons.push_back(texts::NoFlashPlayer);
    if (chosen("2"))
        consider(Pictures(config));

    if (!usable.empty())
        return std::move(usable[std::size_t(sources.randomBelow(int(usable.size())))]);
    SaverPlan nothing;
    nothing.message = reasons.empty() ? std::string(texts::NothingChosen) + "." : NothingToShow(reasons);
    return nothing;
}

} // namespace kdx::saver
