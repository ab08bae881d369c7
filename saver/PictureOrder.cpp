#include "PictureOrder.h"

#include <algorithm>
#include <utility>

namespace kdx::saver {

namespace {

// Random draws tried before the rest of a round is searched in order, for a list whose rest is
// mostly what cannot be taken now (the pictures on screen).
constexpr int Draws = 16;

} // namespace

PictureOrder::PictureOrder(TStrings items, std::function<int(int n)> randomBelow)
    : items_(std::move(items)), randomBelow_(std::move(randomBelow))
{
}

// A draw among the rest of the round, uniform, taking the first acceptable: so each acceptable
// entry of the rest is as likely as any other.
std::optional<std::size_t> PictureOrder::FindInRest(const std::function<bool(const std::string&)>& acceptable)
{
    const std::size_t rest = items_.size() - dealt_;
    for (int i = 0; i < Draws && rest > 0; ++i) {
        const std::size_t at = dealt_ + std::size_t(randomBelow_(int(rest)));
        if (acceptable(items_[at]))
            return at;
    }
    const auto found = std::find_if(items_.begin() + std::ptrdiff_t(dealt_), items_.end(), acceptable);
    if (found == items_.end())
        return std::nullopt;
    return std::size_t(found - items_.begin());
}

std::optional<std::string> PictureOrder::Next(const std::function<bool(const std::string&)>& acceptable)
{
    std::optional<std::size_t> at = FindInRest(acceptable);
    if (!at && dealt_ > 0 && std::any_of(items_.begin(), items_.begin() + std::ptrdiff_t(dealt_), acceptable)) {
        dealt_ = 0; // a new round
        at = FindInRest(acceptable);
    }
    if (!at)
        return std::nullopt;
    std::swap(items_[dealt_], items_[*at]);
    return items_[dealt_++];
}

void PictureOrder::Drop(const std::string& path)
{
    // Searched from the latest dealt back, where it is.
    std::size_t at = dealt_;
    while (at > 0 && items_[at - 1] != path)
        --at;
    if (at == 0) {
        const auto found = std::find(items_.begin(), items_.end(), path);
        if (found != items_.end())
            items_.erase(found);
        return;
    }
    // Out of the dealt part, then off the end, putting the last entry in the dealt part's place.
    std::swap(items_[at - 1], items_[dealt_ - 1]);
    std::swap(items_[dealt_ - 1], items_.back());
    items_.pop_back();
    --dealt_;
}

} // namespace kdx::saver
