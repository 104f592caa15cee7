#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "game/entity_list.hpp"

namespace {

struct Thing {
    int id;
    std::function<void(Thing&)> on_update;
};

std::vector<int> WalkIds(EntityList<Thing>& list) {
    std::vector<int> visited;
    list.Walk([&](Thing& thing) {
        visited.push_back(thing.id);
        if (thing.on_update) thing.on_update(thing);
    });
    return visited;
}

Thing& Add(EntityList<Thing>& list, int id) { return list.Add(std::make_unique<Thing>(Thing{id, {}})); }

}  // namespace

TEST(EntityListTest, AnObjectMayRemoveItselfOrOthersAhead) {
    EntityList<Thing> list;
    Thing& first = Add(list, 1);
    Thing& second = Add(list, 2);
    Add(list, 3);
    first.on_update = [&](Thing&) { list.Remove(&second); };
    second.on_update = [&](Thing& self) { list.Remove(&self); };
    EXPECT_EQ(WalkIds(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.Count(), 2);
}

TEST(EntityListTest, AppendedObjectsAreReachedUnlessAddedByTheLast) {
    EntityList<Thing> list;
    Thing& first = Add(list, 1);
    Add(list, 2);
    first.on_update = [&](Thing&) { Add(list, 10); };
    EXPECT_EQ(WalkIds(list), (std::vector<int>{1, 2, 10}));

    // While the last object is updated the walk has already stepped past the
    // end, so what it appends waits for the next walk.
    EntityList<Thing> other;
    Add(other, 1);
    Thing& last = Add(other, 2);
    last.on_update = [&](Thing& self) {
        self.on_update = nullptr;
        Add(other, 20);
    };
    EXPECT_EQ(WalkIds(other), (std::vector<int>{1, 2}));
    EXPECT_EQ(WalkIds(other), (std::vector<int>{1, 2, 20}));
}

TEST(EntityListTest, ClearingDuringAWalkEndsIt) {
    EntityList<Thing> list;
    Thing& first = Add(list, 1);
    Add(list, 2);
    first.on_update = [&](Thing&) { list.Clear(); };
    EXPECT_EQ(WalkIds(list), (std::vector<int>{1}));
    EXPECT_TRUE(list.Empty());
}

TEST(EntityListTest, RemovingAStrangerDoesNothing) {
    EntityList<Thing> list;
    Add(list, 1);
    // On the heap: GCC 12 at -O3 warns about deleting a stack object on the
    // path where the list would own it (-Wfree-nonheap-object).
    auto stranger = std::make_unique<Thing>(Thing{9, {}});
    list.Remove(stranger.get());
    EXPECT_EQ(list.Count(), 1);
}
