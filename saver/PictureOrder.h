#pragma once
#include "settings/Records.h"

#include <functional>
#include <optional>
#include <string>

namespace kdx::saver {

// The order in which the companion shows a list: each entry once a round, in an order shuffled
// anew for every round, drawn as it goes (each draw costs the same however long the list).
// An entry that cannot be shown is dropped for the run.
class PictureOrder {
public:
    PictureOrder(TStrings items, std::function<int(int n)> randomBelow);

    bool Empty() const { return items_.empty(); }

    // The next entry of this round that Acceptable takes; when none of the round's rest does, a
    // new round begins. Nothing, and nothing dealt, when no entry of the list is acceptable.
    std::optional<std::string> Next(const std::function<bool(const std::string&)>& acceptable);

    // Drops an entry dealt lately (and only that one of its duplicates).
    void Drop(const std::string& path);

private:
    std::optional<std::size_t> FindInRest(const std::function<bool(const std::string&)>& acceptable);

    TStrings items_; // those dealt in this round first, the rest after them
    std::size_t dealt_ = 0;
    std::function<int(int)> randomBelow_;
};

} // namespace kdx::saver
