// The stores, SQLite and PostgreSQL alike: the table's order, values kept as
// they came, request counts and what is forgotten. (The API's tests and the
// board's process tests use them through the board, on both.)

#include "store/store.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "support/board_support.hpp"

namespace {

class StoreTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (database_.url().empty()) GTEST_SKIP() << database_.why();
        store_ = Open();
    }

    std::unique_ptr<Store> Open() {
        std::string error;
        std::unique_ptr<Store> store = OpenStore(database_.url(), error);
        EXPECT_TRUE(store) << error;
        return store;
    }

    static Ticket MakeTicket(const std::string& id, Millis given = 1000) {
        return {id, 4660, given, given + 60'000, {}};
    }

    static NewGame MakeGame(const std::string& id, int score, std::string name = "Ann") {
        return {id, std::move(name), score, 2, 4795, 5000, "seed 4660\n"};
    }

    // Stores a game with a ticket of its own; its rank.
    int Add(const NewGame& game) {
        store_->AddTicket(MakeTicket("t-" + game.id));
        return store_->AddGame(game, "t-" + game.id, 2000).value_or(-1);
    }

    TestDatabase database_{GetParam()};
    std::unique_ptr<Store> store_;
};

TEST_P(StoreTest, TheTableIsBestFirstAndOfEqualScoresTheEarlierFirst) {
    EXPECT_EQ(Add(MakeGame("a", 500)), 1);
    EXPECT_EQ(Add(MakeGame("b", 900)), 1);
    EXPECT_EQ(Add(MakeGame("c", 500)), 3);
    EXPECT_EQ(Add(MakeGame("d", 100)), 4);
    std::vector<GameEntry> top = store_->TopGames(3);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top[0].id, "b");
    EXPECT_EQ(top[1].id, "a");
    EXPECT_EQ(top[2].id, "c");
    EXPECT_EQ(top[2].rank, 3);
    std::optional<GameEntry> c = store_->FindGame("c");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->rank, 3);
    EXPECT_EQ(c->score, 500);
    EXPECT_EQ(c->level, 2);
    EXPECT_EQ(c->frames, 4795);
    EXPECT_EQ(c->stored, 5000);
}

// Values are bound, never spliced into the statements.
TEST_P(StoreTest, HostileTextIsKeptAsItCame) {
    std::string name = "'); DROP--";
    std::string replay = "seed 1\n# '; DELETE FROM games; -- \"\\ Zoë ✓\n";
    NewGame game = MakeGame("x'y", 10, name);
    game.replay = replay;
    Add(game);
    EXPECT_EQ(store_->FindGame("x'y")->name, name);
    EXPECT_EQ(store_->FindReplay("x'y"), replay);
    EXPECT_FALSE(store_->FindReplay("' OR '1'='1"));
    EXPECT_EQ(store_->TopGames(10).size(), 1u);
}

TEST_P(StoreTest, RequestsAreCountedByAddressKindAndWindow) {
    EXPECT_EQ(store_->CountRequest("10.0.0.1", "tickets", 7), 1);
    EXPECT_EQ(store_->CountRequest("10.0.0.1", "tickets", 7), 2);
    EXPECT_EQ(store_->CountRequest("10.0.0.1", "games", 7), 1);
    EXPECT_EQ(store_->CountRequest("10.0.0.2", "tickets", 7), 1);
    EXPECT_EQ(store_->CountRequest("10.0.0.1", "tickets", 8), 1);
    // Forgetting drops the windows before 8 and the tickets expired before 70 s.
    store_->AddTicket(MakeTicket("old", 0));
    store_->AddTicket(MakeTicket("new", 20'000));
    store_->Forget(70'000, 8);
    EXPECT_EQ(store_->CountRequest("10.0.0.1", "tickets", 7), 1);
    EXPECT_EQ(store_->CountRequest("10.0.0.1", "tickets", 8), 2);
    EXPECT_FALSE(store_->FindTicket("old"));
    EXPECT_TRUE(store_->FindTicket("new"));
}

TEST(OpenStoreTest, ABadDatabaseIsOneLine) {
    std::string error;
    EXPECT_FALSE(OpenStore("mysql://x", error));
    EXPECT_EQ(error, "the database must be sqlite:FILE or a postgresql:// URL");
    EXPECT_FALSE(OpenStore("sqlite:/no/such/folder/board.db", error));
    EXPECT_EQ(error, "/no/such/folder/board.db: unable to open database file");
    EXPECT_FALSE(OpenStore("postgresql:///board?host=/no/such/folder", error));
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_NE(error.find("PostgreSQL:"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Databases, StoreTest, testing::ValuesIn(kDatabaseKinds));

}  // namespace
