// The inventory pool's places and entries: adding (at once, flying, into a
// destination), removing, compacting, and the XML text kept in the profile.
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolItemFly.h"
#include "src/game/quest/QstPoolPlace.h"
#include "tests/quest/PoolTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

class PoolDataTest : public ::testing::Test {
protected:
    PoolDataTest()
    {
        key = scene.AddItem("key", {"table", "pool", "off"});
        coin = scene.AddItem("coin", {"floor", "pool"});
        lamp = scene.AddItem("lamp", {"pool", "lit"});
    }
    QstPoolData& Pool() { return *strip.pool; }
    // The item held by each place, "" for an empty one.
    std::vector<std::string> Row()
    {
        std::vector<std::string> row;
        for (const QstPoolPlace& place : Pool().places)
            row.push_back(place.entry ? place.entry->item->GetName() : "");
        return row;
    }
    // Updates until no flight is left (at most ten seconds).
    void LandFlights() { strip.Run(1000); }

    PoolLogCapture log;
    PoolFakeScene scene;
    StripPool strip;
    QstItem* key = nullptr;
    QstItem* coin = nullptr;
    QstItem* lamp = nullptr;
};

TEST_F(PoolDataTest, FirstItemAtOnceFillsTheFirstOfFivePlaces)
{
    ASSERT_EQ(Pool().places.size(), 5u);
    Pool().AddItem(key, "pool", "", nullptr, true, nullptr, nullptr);
    EXPECT_EQ(Row(), (std::vector<std::string>{"key", "", "", "", ""}));
    QstPoolEntry* entry = Pool().FindEntry(key);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->placed);
    EXPECT_EQ(entry->StateName(), "pool");
    EXPECT_EQ(Pool().places[0].scale, 1.0f);
}

TEST_F(PoolDataTest, FlyingItemReservesItsPlaceUntilItArrives)
{
    Pool().AddItem(key, "pool", "", nullptr, false, nullptr, nullptr);
    QstPoolEntry* entry = Pool().FindEntry(key);
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->placed);
    strip.Run(10);
    EXPECT_FALSE(entry->placed);
    LandFlights();
    EXPECT_TRUE(Pool().FindEntry(key)->placed);
}

TEST_F(PoolDataTest, FlightFollowUpActionRunsBeforeTheEntryIsPlaced)
{
    std::vector<std::pair<std::string, bool>> seen;
    QstPoolItemFly::SetActionRunner([&](const std::string& name) {
        seen.emplace_back(name, Pool().FindEntry(key)->placed);
    });
    Pool().AddItem(key, "pool", "AfterKey", nullptr, false, nullptr, nullptr);
    LandFlights();
    QstPoolItemFly::SetActionRunner(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, "AfterKey");
    EXPECT_FALSE(seen[0].second);
    EXPECT_TRUE(Pool().FindEntry(key)->placed);
}

TEST_F(PoolDataTest, RemovedEntryLeavesAGapThatTheNextItemFills)
{
    Pool().AddItem(key, "pool", "", nullptr, true, nullptr, nullptr);
    Pool().AddItem(coin, "pool", "", nullptr, true, nullptr, nullptr);
    Pool().RemoveItem(key);
    EXPECT_FALSE(Pool().HasItem(key));
    EXPECT_TRUE(Pool().changed);
    EXPECT_EQ(Row(), (std::vector<std::string>{"", "coin", "", "", ""}));
    Pool().AddItem(lamp, "pool", "", nullptr, true, nullptr, nullptr);
    EXPECT_EQ(Row(), (std::vector<std::string>{"lamp", "coin", "", "", ""}));
}

TEST_F(PoolDataTest, AnItemIsNeverListedTwice)
{
    Pool().AddItem(key, "pool", "", nullptr, true, nullptr, nullptr);
    Pool().AddItem(key, "off", "", nullptr, true, nullptr, nullptr);
    EXPECT_EQ(Row(), (std::vector<std::string>{"key", "", "", "", ""}));
    EXPECT_EQ(Pool().FindEntry(key)->StateName(), "off");
}

TEST_F(PoolDataTest, ItemMergesIntoTheDestinationsEntry)
{
    Pool().AddItem(lamp, "pool", "", nullptr, true, nullptr, nullptr);
    Pool().AddItem(coin, "pool", "", lamp, false, nullptr, nullptr);
    EXPECT_EQ(Row(), (std::vector<std::string>{"lamp", "", "", "", ""}));
    EXPECT_FALSE(Pool().HasItem(coin));
    EXPECT_FALSE(log.Contains("in pool not found"));
    LandFlights();
    EXPECT_TRUE(Pool().FindEntry(lamp)->placed);
}

TEST_F(PoolDataTest, DestinationWithoutEntryStillKeepsTheItem)
{
    Pool().AddItem(coin, "pool", "", lamp, false, nullptr, nullptr);
    EXPECT_TRUE(log.Contains("Item \"lamp\" in pool not found"));
    EXPECT_TRUE(Pool().HasItem(coin));
    EXPECT_EQ(Pool().places.size(), 5u);
    LandFlights();
    EXPECT_TRUE(Pool().FindEntry(coin)->placed);
}

TEST_F(PoolDataTest, NullItemIsRefused)
{
    Pool().AddItem(nullptr, "pool", "", nullptr, true, nullptr, nullptr);
    EXPECT_EQ(Row(), (std::vector<std::string>(5, "")));
    EXPECT_TRUE(log.Contains("No item to put into the pool"));
}

TEST_F(PoolDataTest, PlaceOfAMissingItemIsLoggedAndAppended)
{
    QstPoolPlace& place = Pool().GetPoolPlace(key);
    EXPECT_FALSE(place.entry);
    EXPECT_EQ(Pool().places.size(), 6u);
    EXPECT_EQ(place.baseWidth, StripLayout::kCell);
    EXPECT_TRUE(log.Contains("Item \"key\" in pool not found"));
}

struct CompactCase {
    std::vector<bool> occupied;
    size_t places;
};

class PoolCompactTest : public PoolDataTest, public ::testing::WithParamInterface<CompactCase> {};

TEST_P(PoolCompactTest, OccupiedPlacesMoveForward)
{
    const CompactCase& c = GetParam();
    Pool().places.clear();
    std::vector<std::string> expected;
    for (size_t i = 0; i < c.occupied.size(); ++i) {
        QstPoolPlace& place = Pool().places.emplace_back();
        if (!c.occupied[i])
            continue;
        QstItem* item = scene.AddItem("item" + std::to_string(i), {"pool"});
        place.entry = std::make_unique<QstPoolEntry>(&Pool(), item);
        expected.push_back(item->GetName());
    }
    Pool().Compact();
    while (expected.size() < c.places)
        expected.push_back("");
    EXPECT_EQ(Row(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PoolCompactTest,
    ::testing::Values(CompactCase{{true, false, true, true, false, true, true, true, true, true}, 8},
                      CompactCase{{false, true, false, false, true}, 5},
                      CompactCase{{false, false, false, false, false, false, false}, 5},
                      CompactCase{{true, true, true, true, true, true}, 6}));

TEST_F(PoolDataTest, StripCompactsOnlyOnceHidden)
{
    Pool().AddItem(key, "pool", "", nullptr, true, nullptr, nullptr);
    Pool().AddItem(coin, "pool", "", nullptr, true, nullptr, nullptr);
    strip.MouseAt(500, 640); // over the low arrow
    strip.Run(100);
    ASSERT_EQ(Pool().slide, 0.0f);
    Pool().RemoveItem(key);
    strip.Run(10);
    EXPECT_EQ(Row()[0], "");
    strip.MouseAt(10, 10);
    strip.Run(500);
    EXPECT_EQ(Pool().slide, 1.0f);
    EXPECT_EQ(Row(), (std::vector<std::string>{"coin", "", "", "", ""}));
    EXPECT_FALSE(Pool().changed);
}

TEST_F(PoolDataTest, SaveWritesOccupiedPlacesOnly)
{
    EXPECT_EQ(Pool().Save(), "");
    Pool().places[1].entry = std::make_unique<QstPoolEntry>(&Pool(), key);
    Pool().places[1].entry->SetState("pool");
    Pool().places[3].entry = std::make_unique<QstPoolEntry>(&Pool(), coin);
    Pool().places[3].entry->SetState("floor");
    const std::string text = Pool().Save();
    EXPECT_NE(text.find("<Pool>"), std::string::npos) << text;
    const size_t first = text.find("<PoolPlace item=\"pooltest:key\" item_state=\"pool\" />");
    const size_t second = text.find("<PoolPlace item=\"pooltest:coin\" item_state=\"floor\" />");
    EXPECT_NE(first, std::string::npos) << text;
    EXPECT_NE(second, std::string::npos) << text;
    EXPECT_LT(first, second);
}

TEST_F(PoolDataTest, LoadDropsEntriesWhoseItemIsGone)
{
    Pool().Load("<Pool><PoolPlace item=\"nowhere\" item_state=\"pool\" />"
                "<PoolPlace item=\"\" item_state=\"pool\" /></Pool>");
    EXPECT_EQ(Row(), (std::vector<std::string>(5, "")));
    EXPECT_EQ(log.Count("entry is dropped"), 2);
    Pool().Load("");
    Pool().Load("<Other />");
    EXPECT_EQ(Row(), (std::vector<std::string>(5, "")));
}

TEST_F(PoolDataTest, RemovingAnItemInFlightLeavesNothingBehind)
{
    Pool().AddItem(key, "pool", "", nullptr, false, nullptr, nullptr);
    Pool().RemoveItem(key);
    LandFlights();
    EXPECT_FALSE(Pool().HasItem(key));
}

TEST_F(PoolDataTest, FlightOutlivingItsPoolTouchesNothing)
{
    auto pool = std::make_unique<QstPoolData>();
    QstPoolItemExtBase* kept = nullptr;
    pool->AddExtensionListener(&kept, [](void* context, QstPoolItemExtBase* e) {
        *static_cast<QstPoolItemExtBase**>(context) = e;
    });
    pool->AddItem(key, "pool", "", nullptr, false, nullptr, nullptr);
    ASSERT_NE(kept, nullptr);
    std::unique_ptr<QstPoolItemExtBase> flight(kept);
    pool.reset();
    for (int i = 0; i < 1000 && !flight->done; ++i)
        flight->Update(0.01f);
    EXPECT_TRUE(flight->done);
}

TEST_F(PoolDataTest, CollectItemsListsEntriesInPlaceOrder)
{
    Pool().AddItem(key, "pool", "", nullptr, true, nullptr, nullptr);
    Pool().AddItem(coin, "floor", "", nullptr, true, nullptr, nullptr);
    Pool().RemoveItem(key);
    Pool().AddItem(lamp, "lit", "", nullptr, true, nullptr, nullptr);
    std::vector<QstPoolItemInfo> items;
    Pool().CollectItems(items);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].item, lamp);
    EXPECT_EQ(items[0].state, "lit");
    EXPECT_EQ(items[1].item, coin);
    EXPECT_EQ(items[1].state, "floor");
}

} // namespace
} // namespace Quib::Testing
