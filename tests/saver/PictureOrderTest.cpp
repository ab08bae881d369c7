// The order of the companion's pictures: each once a round, shuffled anew each round, drawn at
// a cost that does not grow with the list.
#include "saver/PictureOrder.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

using namespace kdx;
using kdx::saver::PictureOrder;

namespace {

TStrings Names(int count)
{
    TStrings names;
    for (int i = 0; i < count; ++i)
        names.push_back("/p/" + std::to_string(i) + ".jpg");
    return names;
}

std::function<int(int)> Random(std::mt19937& rng)
{
    return [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
}

TEST(PictureOrder, EachPictureOnceARoundInAnOrderMadeAnewNeverTheSameTwiceRunning)
{
    std::mt19937 rng(5);
    const TStrings names = Names(7);
    PictureOrder order(names, Random(rng));
    std::string last;
    std::set<TStrings> rounds;
    for (int round = 0; round < 40; ++round) {
        TStrings shown;
        for (int i = 0; i < 7; ++i) {
            const auto next = order.Next([&last](const std::string& p) { return p != last; });
            ASSERT_TRUE(next);
            EXPECT_NE(*next, last) << "round " << round;
            shown.push_back(last = *next);
        }
        EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()).size(), 7u)
            << "round " << round << ": a picture came twice before every other came once";
        rounds.insert(shown);
    }
    EXPECT_GT(rounds.size(), 30u) << "each round its own order";
}

TEST(PictureOrder, ARoundBeginsWithAnyPictureAsLikelyAsAnother)
{
    std::mt19937 rng(11);
    std::map<std::string, int> firsts;
    for (int i = 0; i < 3000; ++i)
        ++firsts[*PictureOrder(Names(3), Random(rng)).Next([](const std::string&) { return true; })];
    for (const auto& [name, count] : firsts)
        EXPECT_NEAR(count, 1000, 120) << name;
}

TEST(PictureOrder, APictureThatCannotBeShownIsDroppedForTheRun)
{
    std::mt19937 rng(2);
    PictureOrder order(Names(3), Random(rng));
    const auto any = [](const std::string&) { return true; };
    const std::string dropped = *order.Next(any);
    order.Drop(dropped);
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i)
        seen.insert(*order.Next(any));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen.count(dropped));
    for (const std::string& name : seen)
        order.Drop(name);
    EXPECT_TRUE(order.Empty());
    EXPECT_FALSE(order.Next(any));
}

TEST(PictureOrder, NothingAcceptableDealsNothing)
{
    std::mt19937 rng(3);
    PictureOrder order({"a", "a"}, Random(rng));
    EXPECT_FALSE(order.Next([](const std::string& p) { return p != "a"; }));
    EXPECT_EQ(order.Next([](const std::string&) { return true; }), "a");
}

// A pick costs a few random draws however long the list, also with the pictures on the
// screens to be passed over.
TEST(PictureOrder, APickOfAHundredThousandCostsAsLittleAsAPickOfTen)
{
    std::mt19937 rng(9);
    int draws = 0;
    PictureOrder order(Names(100000), [&](int n) {
        ++draws;
        return std::uniform_int_distribution<int>(0, n - 1)(rng);
    });
    std::string last;
    for (int i = 0; i < 1000; ++i)
        last = *order.Next([&last](const std::string& p) { return p != last; });
    EXPECT_LE(draws, 1100);
}

} // namespace
