#include "MonitorPictures.h"

#include "JpegDecoder.h"
#include "MonitorBitmap.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <unordered_map>

namespace kdx {

namespace {

// Stops a decode as soon as the header has given the size.
struct HeaderRead { };

class SizeSink final : public picture::RowSink {
public:
    picture::DecodeRegion Choose(unsigned width, unsigned height) override
    {
        size = {width, height};
        throw HeaderRead();
    }
    void Begin(unsigned, unsigned) override { }
    unsigned Reserve(unsigned, unsigned, std::uint8_t**) override { return 0; }
    void Commit(unsigned) override { }
    PictureSize size;
};

std::uint32_t Little(const unsigned char* at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | at[i];
    return v;
}

// BITMAPFILEHEADER, then the size of the info header: 12 for BITMAPCOREHEADER (16-bit sizes),
// 40 or more for the others (32-bit, the height negative for a top-down bitmap).
std::optional<PictureSize> BitmapSize(const std::string& path)
{
    unsigned char h[26] = {};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(h), sizeof h) || h[0] != 'B' || h[1] != 'M')
        return std::nullopt;
    const std::uint32_t info = Little(h + 14, 4);
    if (info == 12)
        return PictureSize {Little(h + 18, 2), Little(h + 20, 2)};
    if (info < 40)
        return std::nullopt;
    const auto height = std::int32_t(Little(h + 22, 4));
    return PictureSize {Little(h + 18, 4), height < 0 ? 0u - std::uint32_t(height) : std::uint32_t(height)};
}

// The indices 0..N-1 in random order, none twice, each at a constant cost: a shuffle made only
// as far as it is read, the places it moved kept in a map.
class LazyShuffle {
public:
    LazyShuffle(std::size_t n, const std::function<int(int)>& randomBelow) : n_(n), randomBelow_(randomBelow) { }
    bool Done() const { return next_ == n_; }
    std::size_t Next()
    {
        const std::size_t j = next_ + std::size_t(randomBelow_(int(n_ - next_)));
        const std::size_t picked = At(j);
        moved_[j] = At(next_);
        ++next_;
        return picked;
    }

private:
    std::size_t At(std::size_t i) const
    {
        const auto found = moved_.find(i);
        return found == moved_.end() ? i : found->second;
    }
    std::size_t n_, next_ = 0;
    const std::function<int(int)>& randomBelow_;
    std::unordered_map<std::size_t, std::size_t> moved_;
};

bool HoldsOther(const TStrings& items, const std::set<std::string>& avoid)
{
    return std::any_of(items.begin(), items.end(), [&avoid](const std::string& i) { return !avoid.count(i); });
}

// What a monitor must not get in a change: what the others got, and (while the list has
// others) what it shows now.
std::set<std::string> AvoidFor(const TStrings& items, std::set<std::string> taken, const std::string& current)
{
    if (current.empty())
        return taken;
    std::set<std::string> withCurrent = taken;
    withCurrent.insert(current);
    return HoldsOther(items, withCurrent) ? withCurrent : taken;
}

} // namespace

std::optional<PictureSize> ReadPictureSize(const std::string& path)
{
    if (!picture::IsJpegPath(path))
        return BitmapSize(path);
    SizeSink sink;
    try {
        picture::DecodeJpeg(picture::JpegInput::File(path), picture::PixelOrder::Bgr, sink);
    } catch (const HeaderRead&) {
        return sink.size;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::optional<PictureSize> TPictureSizes::Of(const std::string& path)
{
    const auto known = known_.find(path);
    if (known != known_.end())
        return known->second;
    return known_[path] = ReadPictureSize(path);
}

bool ShapeFits(const PictureSize& picture, unsigned monitorWidth, unsigned monitorHeight)
{
    return (picture.height > picture.width) == (monitorHeight > monitorWidth);
}

std::string PickPicture(const TStrings& items, const std::set<std::string>& avoid, unsigned width, unsigned height,
    const std::function<int(int)>& randomBelow,
    const std::function<std::optional<PictureSize>(const std::string&)>& sizeOf)
{
    // At most this many sizes are asked for per pick: the first picture tried that fits wins.
    constexpr std::size_t Tries = 24;
    const bool others = HoldsOther(items, avoid);
    LazyShuffle order(items.size(), randomBelow);
    std::optional<std::size_t> first;
    for (std::size_t tried = 0; tried < Tries && !order.Done();) {
        const std::size_t i = order.Next();
        if (others && avoid.count(items[i]))
            continue;
        if (!first)
            first = i;
        ++tried;
        const std::optional<PictureSize> size = sizeOf(items[i]);
        if (size && ShapeFits(*size, width, height))
            return items[i];
    }
    return items[first.value_or(0)];
}

std::size_t IndexOtherThanShown(
    const TStrings& items, const std::string& shown, std::size_t drawn, const std::function<int(int)>& randomBelow)
{
    if (items[drawn] != shown)
        return drawn;
    // The first entry that is not Shown in a random order is any of them with the same chance.
    for (LazyShuffle order(items.size(), randomBelow); !order.Done();) {
        const std::size_t i = order.Next();
        if (items[i] != shown)
            return i;
    }
    return drawn;
}

std::vector<MonitorPick> PlanRotation(const std::vector<platform::Monitor>& monitors, const TStrings& items,
    const MonitorRecords& records, const std::function<int(int)>& randomBelow,
    const std::function<std::optional<PictureSize>(const std::string&)>& sizeOf)
{
    std::vector<MonitorPick> picks;
    std::set<std::string> taken;
    for (const platform::Monitor& monitor : monitors) {
        const auto record = records.find(monitor.name);
        const std::string current = record == records.end() ? std::string() : record->second.picture;
        const std::string picture
            = PickPicture(items, AvoidFor(items, taken, current), monitor.width, monitor.height, randomBelow, sizeOf);
        taken.insert(picture);
        picks.push_back({monitor, picture, true, true});
    }
    return picks;
}

std::vector<MonitorPick> PlanMonitorChange(const std::vector<platform::Monitor>& monitors,
    const std::vector<platform::Monitor>& shown, const TStrings& items, const MonitorRecords& records,
    const std::function<int(int)>& randomBelow,
    const std::function<std::optional<PictureSize>(const std::string&)>& sizeOf,
    const std::function<bool(const std::string&)>& pictureUsable)
{
    const auto shownBefore = [&shown](const platform::Monitor& monitor) {
        return std::find_if(
            shown.begin(), shown.end(), [&monitor](const platform::Monitor& s) { return s.name == monitor.name; });
    };
    // First the monitors that were shown and keep their pictures, so that a monitor that comes
    // back or is new does not take one of theirs.
    std::vector<std::optional<MonitorPick>> kept(monitors.size());
    std::set<std::string> taken;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const platform::Monitor& monitor = monitors[i];
        const auto record = records.find(monitor.name);
        const auto before = shownBefore(monitor);
        if (record == records.end() || before == shown.end())
            continue;
        const bool resized = record->second.width != monitor.width || record->second.height != monitor.height;
        if (resized && !pictureUsable(record->second.picture))
            continue;
        kept[i] = MonitorPick {monitor, record->second.picture, resized, resized};
        taken.insert(record->second.picture);
    }
    std::vector<MonitorPick> picks;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        if (kept[i]) {
            picks.push_back(*kept[i]);
            continue;
        }
        const platform::Monitor& monitor = monitors[i];
        const auto record = records.find(monitor.name);
        if (record != records.end() && pictureUsable(record->second.picture)
            && !(taken.count(record->second.picture) && HoldsOther(items, taken))) {
            // It comes back: its picture again, made anew only for a new size.
            const bool resized = record->second.width != monitor.width || record->second.height != monitor.height;
            picks.push_back({monitor, record->second.picture, resized, true});
        } else if (items.empty()) {
            continue; // nothing to give it
        } else {
            picks.push_back(
                {monitor, PickPicture(items, taken, monitor.width, monitor.height, randomBelow, sizeOf), true, true});
        }
        taken.insert(picks.back().picture);
    }
    return picks;
}

void Remember(MonitorRecords& records, const std::vector<MonitorPick>& picks)
{
    for (const MonitorPick& pick : picks)
        records[pick.monitor.name] = {pick.picture, pick.monitor.width, pick.monitor.height};
}

} // namespace kdx
