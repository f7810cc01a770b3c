#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "probe/prove.h"
#include "support/harness.h"

// Levels drawn here, proven as the shipped ones are.
namespace {

class ProveTest : public ::testing::Test {
protected:
    void SetUp() override {
        start_test_game(MODE_TITLE);
        save_snapshot(*title_);
        std::memset(grid_, 0, sizeof grid_);
        grid_[1][1] = CELL_CURSOR;
        grid_[25][15] = CELL_PLAYER;
    }
    void TearDown() override { stop_test_game(); }

    LevelProof prove(int seeds) { return prove_level(LevelStart(*title_, 3, &grid_), seeds, 0); }

    std::unique_ptr<Snapshot> title_ = std::make_unique<Snapshot>();
    LevelGrid grid_;
};

// Nothing in the way and nothing firing: every seed is cleared at full speed.
TEST_F(ProveTest, AnEmptyLevelIsClearedAtFullSpeedAndFair) {
    const LevelProof proof = prove(3);
    EXPECT_EQ(proof.search_cleared, 3);
    EXPECT_EQ(proof.search_frames, (std::vector<int32_t>{247, 247, 247}));
    EXPECT_EQ(proof.cleared[REFERENCE_PLAYER], 3);
    EXPECT_TRUE(proof.deaths.empty());
    EXPECT_TRUE(proof.fair());
    EXPECT_TRUE(proof.stopped.empty());
    EXPECT_EQ(proof.route.back().y, LEVEL_END_ROW * CELL_SIZE + 270) << "the route ends where the level does";
}

// A wall across the window: no seed is tried, and the proof says where the
// ship stops and what stops it.
TEST_F(ProveTest, AWallAcrossIsNamedAsWhatStopsTheShip) {
    for (int c = 1; c <= 29; c += 4) grid_[250][c] = CELL_BLOCK;
    const LevelProof proof = prove(2);
    EXPECT_EQ(proof.search_cleared, 0);
    EXPECT_EQ(proof.cleared[REFERENCE_PLAYER], 0);
    EXPECT_EQ(proof.stopped.rfind("no way up through the walls: the ship gets no higher than row 254; above it: block at (250, ", 0), 0u)
        << proof.stopped;
}

}  // namespace
